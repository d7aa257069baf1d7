#include "usage/posix_help.h"

#include "vandrix_identity.h"

namespace vandrix {
namespace {

constexpr char kHelp[] =
    "Usage: vandrix [OPTION]... OPERATION PATH...\n"
    "Copies, moves, deletes or renames files and folders, one operation a run.\n"
    "\n"
    "  vandrix [OPTION]... copy SOURCE... DEST\n"
    "  vandrix [OPTION]... move SOURCE... DEST\n"
    "  vandrix [OPTION]... del PATH...\n"
    "  vandrix [OPTION]... ren OLD NEW\n"
    "\n"
    "OPERATION is copy, move, del (or delete) or ren (or rename), in any letter\n"
    "case. Options may stand anywhere on the line and be combined (-cs), in\n"
    "either letter case; the Windows forms /c, /s, ... work too. -- ends the\n"
    "options: every argument after it is the operation or a path.\n"
    "  -c         answer yes to every question (replace, delete)\n"
    "  -d         make missing folders without asking (always on)\n"
    "  -e         do not print the one-line error reports\n"
    "  -f         take only the files a wildcard matches, not the folders\n"
    "  -p         show no names on the progress line\n"
    "  -r         give an item a free name, \"a (2).txt\", when its name is\n"
    "             taken, instead of replacing what is there\n"
    "  -s         show no progress line\n"
    "  -u         del moves the items to the desktop trash instead of deleting\n"
    "             them; an item that cannot go there is kept\n"
    "  -h, -?, /?, --help  print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Every other argument is a path, whatever its first character: /srv/a.txt,\n"
    "~/notes as the shell expands it, Pictures/Holiday.jpg, and - or /x alone.\n"
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
    "that holds ; and names an existing item is refused, never split.\n"
    "* and ? that reach vandrix (quoted, or matched by nothing in\n"
    "the shell) match names in the last part of a source; *.* matches every\n"
    "name.\n"
    "\n"
    "Replacing a file and deleting ask first on the terminal: y(es), n(o),\n"
    "a(ll) or c(ancel). With no terminal the answer is cancel, so scripts pass\n"
    "-c. A long operation shows a progress line on the terminal, after a\n"
    "second, unless -s is given.\n"
    "\n"
    "Exit status:\n"
    "  0    done\n"
    "  1    an item failed, or something was skipped or cancelled\n"
    "  255  the command line was refused; nothing was touched\n"
    "\n";

}  // namespace

std::string PosixHelpText() {
  return std::string(kHelp) + kMakerNotice + " - " + kMakerWebsite + "\n";
}

std::string PosixVersionText() { return VANDRIX_VERSION_LINE "\n"; }

}  // namespace vandrix
