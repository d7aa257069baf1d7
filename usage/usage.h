// The usage summary and its message box.
#ifndef VANDRIX_USAGE_USAGE_H_
#define VANDRIX_USAGE_USAGE_H_

#include <string>

namespace vandrix {

/// The usage summary: 26 lines joined by CR LF, no line end after the last.
std::string UsageText();

/// The box's caption: the maker's notice, " - ", the maker's web address.
std::string UsageCaption();

/// Shows UsageText under UsageCaption in a message box with an OK button
/// and the information icon, no owner window; returns when it is closed.
void ShowUsage();

}  // namespace vandrix

#endif  // VANDRIX_USAGE_USAGE_H_
