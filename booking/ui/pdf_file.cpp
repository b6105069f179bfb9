#include "pdf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cstdio>
#include <string>

#include "bookings/month_file.h"
#include "data/durable_file.h"
#include "data/failure.h"

namespace {

// A file that stands at `path` and must not be replaced: a folder, or a file
// its owner made read-only (root included, who could write it anyway).
bool Unreplaceable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    return !S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace

PdfFile::PdfFile(QString path) : path_(std::move(path)) {
    const std::string target = path_.toStdString();
    if (Unreplaceable(target)) {
        kolvaro::Fail(kolvaro::kCannotCreateMessage, target);
    }
    const QFileInfo info(path_);
    // Hidden and in the same folder, so that the rename stays on one disk.
    std::string pattern = (info.absolutePath() + QStringLiteral("/.") + info.completeBaseName() +
                           QStringLiteral("-XXXXXX.pdf"))
                              .toStdString();
    const int fd = ::mkstemps(pattern.data(), 4);
    if (fd < 0) {
        kolvaro::Fail(kolvaro::kCannotCreateMessage, target);
    }
    // Readable as any new file of the user's would be, not only by its owner.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    temporary_ = QString::fromStdString(pattern);
}

PdfFile::~PdfFile() {
    if (!committed_) {
        ::unlink(temporary_.toStdString().c_str());
    }
}

void PdfFile::Commit() {
    const std::string target = path_.toStdString();
    const std::string temporary = temporary_.toStdString();
    bool ok = !Unreplaceable(target);
    if (ok) {
        const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
    }
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        kolvaro::Fail(kolvaro::kCannotCreateMessage, target);
    }
    committed_ = true;
    // The new name must reach the disk too; a folder that cannot be flushed
    // still holds the whole file.
    kolvaro::SyncFolder(QFileInfo(path_).absolutePath().toStdString());
}
