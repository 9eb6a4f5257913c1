#pragma once

#include <QByteArray>
#include <QString>

class QDateTime;
class QIODevice;
class QLocale;

namespace vellacor {

// The "Generated" text: the locale's short date with a four-digit year, a blank and its long
// time without a zone; at exactly midnight the date alone. Every space character in it is a
// plain blank.
QString generatedStamp(const QDateTime &when, const QLocale &locale);

// The report text in the system's 8-bit encoding.
QByteArray encodeForSystem(const QString &text);

// Writes all of bytes, or returns false when the device stops taking them.
bool writeAll(QIODevice &device, const QByteArray &bytes);

struct SaveOutcome {
    bool saved = false;
    QString error; // the system's reason when not saved
};

// Replaces the file at path with bytes as a whole, or leaves it as it was.
SaveOutcome saveWhole(const QString &path, const QByteArray &bytes);

} // namespace vellacor
