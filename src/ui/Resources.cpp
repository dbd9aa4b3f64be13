#include "ui/Resources.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>
#include <map>
#include <mutex>

#include "ui/Text.h"

namespace Ui {
namespace {

struct ResourceTables {
    std::mutex mutex;
    std::map<int, std::string> strings;
    std::map<int, QIcon> icons;
    std::map<int, QPixmap> bitmaps;
    BeepSink beep;
    UrlSink url;
};

ResourceTables& Tables() {
    static ResourceTables tables;
    return tables;
}

}  // namespace

void RegisterString(int id, std::string text) {
    std::lock_guard lock(Tables().mutex);
    Tables().strings[id] = std::move(text);
}

std::string LoadString(int id) {
    std::lock_guard lock(Tables().mutex);
    auto it = Tables().strings.find(id);
    return it == Tables().strings.end() ? std::string() : it->second;
}

// Icons and bitmaps are pixmaps, which live on the UI thread only; the lock keeps the
// tables themselves consistent.
void RegisterIcon(int id, QIcon icon) {
    std::lock_guard lock(Tables().mutex);
    Tables().icons[id] = std::move(icon);
}

QIcon LoadIcon(int id) {
    std::lock_guard lock(Tables().mutex);
    auto it = Tables().icons.find(id);
    return it == Tables().icons.end() ? QIcon() : it->second;
}

void RegisterBitmap(int id, QPixmap bitmap) {
    std::lock_guard lock(Tables().mutex);
    Tables().bitmaps[id] = std::move(bitmap);
}

QPixmap LoadBitmap(int id) {
    std::lock_guard lock(Tables().mutex);
    auto it = Tables().bitmaps.find(id);
    return it == Tables().bitmaps.end() ? QPixmap() : it->second;
}

QPixmap LoadBitmapFile(const std::string& path) {
    QImageReader reader(ToQt(path));
    QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

std::string GetProgramDirectory() {
    QFileInfo exe(QStringLiteral("/proc/self/exe"));
    QString dir = QFileInfo(exe.symLinkTarget()).absolutePath();
    std::string out = FromQt(dir);
    if (out.empty() || out.back() != '/') out += '/';
    return out;
}

std::string GetProgramName() {
    QFileInfo exe(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    return FromQt(exe.completeBaseName());
}

bool FileExists(const std::string& path) { return !path.empty() && QFileInfo::exists(ToQt(path)); }

void MessageBeep(UINT type) {
    BeepSink sink;
    {
        std::lock_guard lock(Tables().mutex);
        sink = Tables().beep;
    }
    if (sink) return sink(type);
    QApplication::beep();
}

bool OpenUrl(const std::string& url) {
    UrlSink sink;
    {
        std::lock_guard lock(Tables().mutex);
        sink = Tables().url;
    }
    if (sink) return sink(url);
    return QDesktopServices::openUrl(QUrl(ToQt(url)));
}

BeepSink SetBeepSink(BeepSink sink) {
    std::lock_guard lock(Tables().mutex);
    std::swap(sink, Tables().beep);
    return sink;
}

UrlSink SetUrlSink(UrlSink sink) {
    std::lock_guard lock(Tables().mutex);
    std::swap(sink, Tables().url);
    return sink;
}

}  // namespace Ui
