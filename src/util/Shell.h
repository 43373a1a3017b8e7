#pragma once

#include <QString>
#include <functional>

namespace util {

// How a window opens an address: OpenUrl in the program, a recorder in tests.
using UrlOpener = std::function<void(const QString& url)>;

// Opens a page or a folder: with the browser at BrowserPath when UseOtherBrowser is 1 and that
// file exists, otherwise with the system's default handler. Always true.
bool OpenUrl(const QString& target, int showCommand = 5);

} // namespace util
