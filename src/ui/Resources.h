#pragma once

#include <QIcon>
#include <QPixmap>
#include <functional>
#include <string>

#include "ui/messages/Types.h"

// What the program takes from its resources and its surroundings: strings, icons and
// bitmaps by id (registered at start-up) or from files, its own directory, beeps and URLs.
namespace Ui {

void RegisterString(int id, std::string text);
// Empty when the id is unknown, as a missing string resource loads as empty.
std::string LoadString(int id);

void RegisterIcon(int id, QIcon icon);
QIcon LoadIcon(int id);
void RegisterBitmap(int id, QPixmap bitmap);
QPixmap LoadBitmap(int id);
// A bitmap file at its natural size; null when it cannot be read.
QPixmap LoadBitmapFile(const std::string& path);

// The executable's directory with a trailing separator.
std::string GetProgramDirectory();
// The executable's base name without extension: the default message-box caption.
std::string GetProgramName();
bool FileExists(const std::string& path);

// The beep and the browser go through replaceable sinks, so tests can record them.
void MessageBeep(UINT type);
bool OpenUrl(const std::string& url);
using BeepSink = std::function<void(UINT)>;
using UrlSink = std::function<bool(const std::string&)>;
// Installs a sink and gives back the previous one (empty = the system's).
BeepSink SetBeepSink(BeepSink sink);
UrlSink SetUrlSink(UrlSink sink);

}  // namespace Ui
