#include "usage/usage.h"

#include "platform/dialog.h"
#include "vandrix_identity.h"

namespace vandrix {
namespace {

// The whole text, one literal, so it is stored as is in the program.
constexpr char kUsage[] =
    VANDRIX_VERSION_LINE
    "\r\n" "Performs shell operations like COPY, MOVE, REN and DEL."
    "\r\n" "USAGE:"
    "\r\n" "  Vandrix.exe [Options] Operation Source [Dest]"
    "\r\n" "WHERE:"
    "\r\n" "  Operations can be COPY, MOVE, DEL, DELETE, REN, RENAME."
    "\r\n" "  Source is one or more source file names separated by ';'."
    "\r\n" "  Dest is the destination file or directory name."
    "\r\n" "  Options can be [/C] [/D] [/E] [/F] [/P] [/R] [/S] [/U] [/?|/h]"
    "\r\n" "  /c  Respond with Yes to All for any dialog box that is displayed."
    "\r\n" "  /d  Do not ask to confirm the creation of a new directory."
    "\r\n" "  /e  Do not display a dialog to the user if an error occurs."
    "\r\n" "  /f  Perform the operation only on files (not on folders)."
    "\r\n" "  /p  Do not show individual file names as they are operated on."
    "\r\n" "  /r  Give a new name if a file with same name already exists."
    "\r\n" "  /s  Do not display a progress dialog box."
    "\r\n" "  /u  Preserve undo information, if possible."
    "\r\n" "  /h  Display this help."
    "\r\n" "  /?  Display this help."
    "\r\n" "NOTE:"
    "\r\n" "  Wildcard characters in the [Dest] parameter are not supported."
    "\r\n" "  Is better allways use fully-qualified paths."
    "\r\n" "RETURN VALUE:"
    "\r\n" "  Vandrix returns zero if succeeds or not zero if fails."
    "\r\n" "EXAMPLE:"
    "\r\n" "  vandrix move c:\\Data\\*.* c:\\DataStore"
    ;

}  // namespace

std::string UsageText() {
  return kUsage;
}

std::string UsageCaption() {
  return std::string(kMakerNotice) + " - " + kMakerWebsite;
}

void ShowUsage() {
  const std::string text = UsageText();
  const std::string caption = UsageCaption();
  platform::MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                        MB_OK | MB_ICONINFORMATION);
}

}  // namespace vandrix
