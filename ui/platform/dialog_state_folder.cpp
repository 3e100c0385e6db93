// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialog_state_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>
#include <string>

namespace {

// No folder can be made below /dev/null: settings written there go nowhere.
const QString kNowhere = QStringLiteral("/dev/null/partory");

struct MadeFolder {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};
MadeFolder* g_folder = nullptr;

void PointSettingsAt(const QString& path) {
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, path + QStringLiteral("/user"));
        QSettings::setPath(format, QSettings::SystemScope, path + QStringLiteral("/system"));
    }
}

// Empties the folder open as `folder`: entries are unlinked by name inside it, and a folder
// inside is only entered when it is one (never a link).
void RemoveContents(int folder) {
    const int listing = dup(folder);
    if (listing < 0) return;
    DIR* entries = fdopendir(listing);
    if (entries == nullptr) {
        close(listing);
        return;
    }
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status {};
        if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(status.st_mode)) {
            const int inner =
                openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (inner >= 0) {
                RemoveContents(inner);
                close(inner);
            }
            unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        } else {
            unlinkat(folder, name.c_str(), 0);
        }
    }
    closedir(entries);
}

std::string MakePrivateFolderIn(const QString& parent) {
    if (parent.isEmpty() || !QFileInfo(parent).isDir()) return {};
    std::string pattern =
        QDir(parent).absoluteFilePath(QStringLiteral("partory-XXXXXX")).toStdString();
    // mkdtemp makes it readable and writable by this user only (0700).
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

}  // namespace

void KeepDialogStateInThisRun() {
    if (g_folder == nullptr) PointSettingsAt(kNowhere);
}

void MakeDialogStateFolder() {
    if (g_folder != nullptr) return;
    std::string path = MakePrivateFolderIn(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (path.empty()) path = MakePrivateFolderIn(QDir::tempPath());
    if (path.empty()) return;
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return;
    g_folder = new MadeFolder{path, status.st_dev, status.st_ino};
    PointSettingsAt(QString::fromStdString(path));
    // exit() (the display connection lost) does not unwind main; the normal way out runs it too.
    static const bool registered = [] {
        std::atexit(RemoveDialogStateFolder);
        return true;
    }();
    (void)registered;
}

QString DialogStateFolder() {
    return g_folder != nullptr ? QString::fromStdString(g_folder->path) : QString();
}

void RemoveDialogStateFolder() {
    if (g_folder == nullptr) return;
    const MadeFolder made = *g_folder;
    delete g_folder;
    g_folder = nullptr;
    const int folder = open(made.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    struct stat status {};
    const bool same =
        fstat(folder, &status) == 0 && status.st_dev == made.device && status.st_ino == made.inode;
    if (same) RemoveContents(folder);
    close(folder);
    if (same) rmdir(made.path.c_str());
}

Q_COREAPP_STARTUP_FUNCTION(KeepDialogStateInThisRun)
