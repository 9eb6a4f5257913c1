#include "reportexport.h"

#include "reportfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringEncoder>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vellacor {

namespace {

// Locales put other space characters into their formats (U+00A0 in "a. m.", U+202F before
// "AM" from Qt 6.5 on); the report's layout is made of plain blanks, and an 8-bit code page
// cannot hold those characters at all.
QString withPlainBlanks(QString text)
{
    for (QChar &character : text) {
        if (character.isSpace())
            character = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString generatedStamp(const QDateTime &when, const QLocale &locale)
{
    const std::string dateFormat =
        withFullYear(locale.dateFormat(QLocale::ShortFormat).toStdString());
    const QString date = locale.toString(when.date(), QString::fromStdString(dateFormat));
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return withPlainBlanks(date);
    // Plain blanks first, so that the blank before a time zone goes with the zone.
    const std::string timeFormat =
        withoutTimeZone(withPlainBlanks(locale.timeFormat(QLocale::LongFormat)).toStdString());
    return withPlainBlanks(date + QLatin1Char(' ') +
                           locale.toString(time, QString::fromStdString(timeFormat)));
}

QByteArray encodeForSystem(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

bool writeAll(QIODevice &device, const QByteArray &bytes)
{
    // A short count can come with no error set; writing the rest then either finishes or
    // fails with the system's reason.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 count = device.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

namespace {

// QSaveFile writes into NAME.XXXXXX (QTemporaryFile's pattern, a dot and six characters)
// before it renames that over NAME.
constexpr qsizetype kSaveFileSuffixLength = 7;

// The longest name that the folder takes, and the length of a name, in the file system's
// units: UTF-16 characters on Windows, bytes of the local encoding elsewhere.
#ifdef Q_OS_WIN
constexpr qsizetype longestName(const QString &)
{
    return 255;
}
qsizetype nameLength(const QString &name)
{
    return name.size();
}
const char *const kNameUnits = QT_TRANSLATE_NOOP("vellacor", "characters");
#else
qsizetype longestName(const QString &folder)
{
    const long longest = pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return longest > 0 ? longest : 255;
}
qsizetype nameLength(const QString &name)
{
    return QFile::encodeName(name).size();
}
const char *const kNameUnits = QT_TRANSLATE_NOOP("vellacor", "bytes");
#endif

#ifdef Q_OS_WIN
// The long-path form, since a name near the limit in a deep folder passes MAX_PATH.
QString longPath(const QString &path)
{
    return QStringLiteral("\\\\?\\") + QDir::toNativeSeparators(path);
}
#endif

// Renames from over to in one step; the system's reason when it cannot. On Windows the rename
// reaches the disk before the call returns.
QString replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(longPath(from).utf16()),
                    reinterpret_cast<LPCWSTR>(longPath(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return QString();
    return qt_error_string(int(GetLastError()));
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return QString();
    return qt_error_string(errno);
#endif
}

// Opens path, a new file, for writing, unbuffered. On Windows through a handle of the
// program's own, which syncWritten() can flush.
bool openNew(QFile &file, const QString &path, QString &error)
{
#ifdef Q_OS_WIN
    const HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(longPath(path).utf16()), GENERIC_WRITE,
                    FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = qt_error_string(int(GetLastError()));
        return false;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY);
    if (descriptor < 0) {
        error = qt_error_string(errno);
        CloseHandle(handle);
        DeleteFileW(reinterpret_cast<LPCWSTR>(longPath(path).utf16()));
        return false;
    }
    if (file.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                  QFileDevice::AutoCloseHandle))
        return true;
    _close(descriptor);
    DeleteFileW(reinterpret_cast<LPCWSTR>(longPath(path).utf16()));
#else
    file.setFileName(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return true;
#endif
    error = file.errorString();
    return false;
}

// Makes what was written to the open file durable, through the descriptor that wrote it, so
// that a power cut after the rename cannot leave the name on an empty file; QSaveFile::commit()
// does the same.
QString syncWritten(QFile &file)
{
#ifdef Q_OS_WIN
    if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
        return QString();
    return qt_error_string(int(GetLastError()));
#else
    if (::fsync(file.handle()) == 0)
        return QString();
    return qt_error_string(errno);
#endif
}

// Makes a rename into folder durable. POSIX keeps a name in its folder, which reaches the disk
// only when the folder itself is synced; on Windows MoveFileExW's write-through has done it.
QString syncFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return QString();
#else
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return qt_error_string(errno);
    const bool synced = ::fsync(descriptor) == 0;
    const QString error = synced ? QString() : qt_error_string(errno);
    ::close(descriptor);
    return error;
#endif
}

// Writes bytes under a short temporary name beside path, makes them durable, then renames
// the file over path, which replaces an earlier file in one step or leaves it as it was.
SaveOutcome saveByRename(const QFileInfo &target, const QByteArray &bytes)
{
    const QString temporary =
        target.absolutePath() +
        QStringLiteral("/.vellacor-%1.tmp")
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    // A plain file, closed before the rename: Windows will not rename a file that is open.
    QFile file;
    QString error;
    if (!openNew(file, temporary, error))
        return {false, error};
    const bool written = writeAll(file, bytes);
    error = written ? syncWritten(file) : file.errorString();
    file.close();
    if (written && error.isEmpty()) {
        // An earlier file's permissions go to the new one, as QSaveFile gives them; set once
        // the data is written, since they may take the write permission away.
        if (target.exists())
            QFile::setPermissions(temporary, target.permissions());
        error = replaceFile(temporary, target.absoluteFilePath());
        if (error.isEmpty()) {
            error = syncFolder(target.absolutePath());
            return {error.isEmpty(), error};
        }
    }
    QFile::remove(temporary);
    return {false, error};
}

} // namespace

SaveOutcome saveWhole(const QString &path, const QByteArray &bytes)
{
    // QSaveFile replaces an earlier file through a temporary one named after it with more
    // characters; a name too long for that takes a shorter temporary name.
    QFileInfo target(path);
    if (target.isSymLink()) {
        const QString resolved = target.canonicalFilePath();
        target.setFile(resolved.isEmpty() ? target.symLinkTarget() : resolved);
    }
    const qsizetype longest = longestName(target.absolutePath());
    const qsizetype length = nameLength(target.fileName());
    if (length > longest) {
        return {false, QObject::tr("the file name is too long: this folder takes at most %1 %2 "
                                   "in a name, and this one has %3")
                           .arg(longest)
                           .arg(QObject::tr(kNameUnits))
                           .arg(length)};
    }
    if (length + kSaveFileSuffixLength > longest) {
        // As QSaveFile::open() does: a file this user may not write is not replaced either.
        if (target.exists() && !target.isWritable())
            return {false, QSaveFile::tr("Existing file %1 is not writable").arg(path)};
        return saveByRename(target, bytes);
    }

    QSaveFile file(path);
    // Unbuffered, so every write reaches the file here and its failure is seen; a buffered
    // write that fails while the file is being committed still commits a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString()};
    if (!writeAll(file, bytes)) {
        const QString error = file.error() == QFileDevice::NoError
                                  ? QObject::tr("only part of the report could be written")
                                  : file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    const QString error = syncFolder(target.absolutePath());
    return {error.isEmpty(), error};
}

} // namespace vellacor
