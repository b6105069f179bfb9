#pragma once

// A PDF file that appears whole or not at all. The printer writes into a
// temporary file beside the target; only a finished document is flushed to
// disk and renamed over the target, so a failed or cancelled run never leaves
// half a PDF, nor destroys the file that was there before.

#include <QString>

class PdfFile {
  public:
    // Makes the temporary file. Fails with "Datei <path> kann nicht erstellt
    // werden" when the target cannot be written: its folder is missing or not
    // writable, a folder stands in its place, or the file there is read-only.
    explicit PdfFile(QString path);
    // Removes the temporary file unless the document was committed.
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    const QString& Path() const { return path_; }
    // Where the printer is to write; its name ends in ".pdf".
    const QString& TemporaryPath() const { return temporary_; }

    // Flushes the finished document and renames it over the target; fails as
    // the constructor does, and the temporary file is then removed.
    void Commit();

  private:
    QString path_;
    QString temporary_;
    bool committed_ = false;
};
