#include "reportexport.h"

#include "reportfile.h"

#include <QDateTime>
#include <QLocale>
#include <QSaveFile>
#include <QStringEncoder>

namespace vellacor {

QString generatedStamp(const QDateTime &when, const QLocale &locale)
{
    const std::string dateFormat =
        withFullYear(locale.dateFormat(QLocale::ShortFormat).toStdString());
    const QString date = locale.toString(when.date(), QString::fromStdString(dateFormat));
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    const std::string timeFormat =
        withoutTimeZone(locale.timeFormat(QLocale::LongFormat).toStdString());
    return date + QLatin1Char(' ') + locale.toString(time, QString::fromStdString(timeFormat));
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

SaveOutcome saveWhole(const QString &path, const QByteArray &bytes)
{
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
    return {true, QString()};
}

} // namespace vellacor
