#include "usage/posix_help.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

#include "cmdline/options.h"
#include "vandrix_identity.h"

namespace vandrix {
namespace {

// Before the option table.
constexpr char kIntroduction[] =
    "Usage: vandrix [OPTION]... OPERATION PATH...\n"
    "Copies, moves, deletes or renames files and folders, one operation a run.\n"
    "\n"
    "  vandrix [OPTION]... copy SOURCE... DEST\n"
    "  vandrix [OPTION]... move SOURCE... DEST\n"
    "  vandrix [OPTION]... del PATH...\n"
    "  vandrix [OPTION]... ren OLD NEW\n"
    "\n"
    "OPERATION is copy, move, del (or delete) or ren (or rename), in any letter\n"
    "case. Options may stand anywhere on the line. Letters are lower case and\n"
    "may be combined (-cs); the Windows forms /c, /S, ... work too, in either\n"
    "case, before the operation word (-i, -n, -v and -j have none). Long names\n"
    "are written in full. An option that has no effect on the operation is\n"
    "refused (-u with copy, say). -- ends the options: every argument after it\n"
    "is the operation or a path.\n";

// After the option table.
constexpr char kRequests[] =
    "  -h, --help          print this help and exit (also -? and /?)\n"
    "      --version       print the version and exit\n";

constexpr char kForCpUsers[] =
    "For users of cp, mv and rm: copy always copies folders whole (no -r is\n"
    "needed), and some letters mean something else here: -r keeps both items,\n"
    "-f takes only the files a wildcard matches (-c asks nothing), -u is del's\n"
    "trash (cp's -u is --update), and -i asks, as vandrix does anyway.\n"
    "Upper-case letters (-R) are refused, and so is an option that has no\n"
    "effect on the operation.\n"
    "\n";

constexpr char kPaths[] =
    "Every other argument is a path, whatever its first character: /srv/a.txt,\n"
    "~/notes as the shell expands it, Pictures/Holiday.jpg, - or /x alone, and\n"
    "/c after the operation word.\n"
    "A path that starts with - goes after -- (or is written ./-notes.txt).\n"
    "copy and move take two or more paths: the last is the destination, the\n"
    "others are the sources. With one source, DEST is the new path, or the\n"
    "folder the source goes into when DEST is a folder or ends in /. With\n"
    "several sources, or a wildcard, DEST is a folder, made when missing; a\n"
    "DEST that is an existing file is refused, never copied onto. del takes\n"
    "one or more paths. ren takes exactly two; NEW stays in OLD's folder, and\n"
    "a NEW without / is a name there.\n"
    "A SOURCE may list several paths separated by ; (\"a.txt;b.txt\"); a DEST\n"
    "list of as many paths pairs up with the sources, first with first. A path\n"
    "that holds ; and may name an existing item is refused, never split.\n"
    "* and ? that reach vandrix (quoted, or matched by nothing in\n"
    "the shell) match names in the last part of a source; *.* matches every\n"
    "name. A name that starts with a dot is matched only by a pattern that\n"
    "starts with one (.*), as in the shell. A path that ends in / must be a\n"
    "folder; dir/*/ matches only the folders in dir. A path holding * or ?\n"
    "that names an item while it matches others is refused; --literal takes\n"
    "every path as one name.\n"
    "\n"
    "Replacing a file and deleting ask first on the terminal: y(es), n(o),\n"
    "a(ll) or c(ancel); cancel stops the run. With no terminal, as in a\n"
    "script, each such item is kept, said in a line, and the rest goes on\n"
    "(exit 1), so scripts pass -c (--yes), or -n (--no-clobber) to replace\n"
    "nothing. A dry run asks nothing: it says each question (would ask:\n"
    "replace 'out/a') and goes on as if the answer were yes; with no terminal\n"
    "it keeps the item as the run would. A long operation shows a progress\n"
    "line on the terminal, after a second, unless -s (--no-progress) is given.\n"
    "\n"
    "Exit status:\n"
    "  0    done\n"
    "  1    an item failed, or something was declined or cancelled (what -n\n"
    "       skips does not count)\n"
    "  255  the command line was refused; nothing was touched\n"
    "  130  stopped by ^C; a file being copied is removed, what was done stays\n"
    "       (another signal N gives 128+N, as the shell counts it)\n"
    "\n";

// After the version and the maker's notice.
constexpr char kLicence[] =
    "License MIT: <https://opensource.org/license/mit>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

constexpr std::size_t kHelpColumn = 22;  // where an option's help starts

// "  -c, --yes", "      --name" or "  -j, --jobs N", padded to the help's
// column.
std::string OptionNames(const OptionLetter& option) {
  std::string names = "  ";
  if (option.letter != '\0') {
    names += '-';
    names += static_cast<char>(std::tolower(static_cast<unsigned char>(option.letter)));
    names += ", ";
  } else {
    names += "    ";
  }
  names += "--";
  names += option.name;
  if (option.value != nullptr) {
    names += ' ';
    names += option.value;
  }
  names.resize(std::max(names.size() + 2, kHelpColumn), ' ');
  return names;
}

// One option's lines: its names, then its help, further lines indented.
std::string OptionLines(const OptionLetter& option) {
  std::string lines = OptionNames(option);
  for (const char* c = option.help; *c != '\0'; ++c) {
    lines += *c;
    if (*c == '\n') lines += std::string(kHelpColumn, ' ');
  }
  return lines + "\n";
}

}  // namespace

std::string PosixHelpText() {
  std::string help = kIntroduction;
  for (const OptionLetter& option : kOptionLetters) help += OptionLines(option);
  return help + kRequests + "\n" + kForCpUsers + kPaths + kMakerNotice + " - " + kMakerWebsite +
         "\n";
}

std::string PosixVersionText() {
  return std::string("vandrix ") + kVersionText + "\n" + kMakerNotice + "\n" + kLicence;
}

}  // namespace vandrix
