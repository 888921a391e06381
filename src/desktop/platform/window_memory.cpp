#include "desktop/platform/window_memory.h"

#include <QDir>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <memory>

#include "desktop/platform/program_folders.h"

namespace leafwright {

namespace {

QString& memoryFolder() {
    static QString folder;
    return folder;
}

// The file, when there is a folder for it. QSettings gets an explicit path:
// nothing goes to the user's default settings location.
std::unique_ptr<QSettings> openMemory() {
    if (memoryFolder().isEmpty()) return nullptr;
    const QString path =
        QDir(memoryFolder()).filePath(QString::fromLatin1(WindowMemory::kFileName));
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

std::unique_ptr<QSettings> openMemoryForWriting() {
    if (memoryFolder().isEmpty() || !folderIsWritable(memoryFolder())) return nullptr;
    return openMemory();
}

QString sizeKey(const QString& window) {
    return QStringLiteral("windows/") + window;
}

// A filter label such as "Text file(*.txt)" holds characters a key cannot;
// its hex spelling can.
QString dialogKey(const char* group, const QString& dialog) {
    return QString::fromLatin1(group) + QLatin1Char('/') +
           QString::fromLatin1(dialog.toUtf8().toHex());
}

QString folderKey(const QString& dialog) {
    return dialogKey("folders", dialog);
}

}  // namespace

void WindowMemory::useFolder(const QString& configFolder) {
    memoryFolder() = configFolder;
}

QSize WindowMemory::windowSize(const QString& window, QSize fallback) {
    const auto memory = openMemory();
    if (!memory) return fallback;
    const QSize kept = memory->value(sizeKey(window)).toSize();
    return kept.isValid() && !kept.isEmpty() ? kept : fallback;
}

void WindowMemory::keepWindowSize(const QString& window, QSize size) {
    if (const auto memory = openMemoryForWriting()) memory->setValue(sizeKey(window), size);
}

QString WindowMemory::dialogFolder(const QString& dialog) {
    const auto memory = openMemory();
    if (!memory) return {};
    const QString folder = memory->value(folderKey(dialog)).toString();
    return QDir(folder).exists() ? folder : QString();
}

void WindowMemory::keepDialogFolder(const QString& dialog, const QString& folder) {
    if (const auto memory = openMemoryForWriting()) memory->setValue(folderKey(dialog), folder);
}

int WindowMemory::dialogFilter(const QString& dialog) {
    const auto memory = openMemory();
    if (!memory) return 0;
    return std::max(0, memory->value(dialogKey("filters", dialog), 0).toInt());
}

void WindowMemory::keepDialogFilter(const QString& dialog, int filter) {
    if (const auto memory = openMemoryForWriting())
        memory->setValue(dialogKey("filters", dialog), filter);
}

}  // namespace leafwright
