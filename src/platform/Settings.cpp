#include "platform/Settings.h"

#include "common/Cp1252.h"
#include "common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace settings {
namespace {

constexpr int kBufferSize = 2048;  // a value must fit with its terminator

bool g_unwritten = false;

QString Key(const char* name) { return QString::fromLatin1(kGroup) + u'/' + QString::fromLatin1(name); }

// The text after '=' on the line of `key` ("group/name") as it stands in the file. The INI
// reader takes a value with unquoted commas for a list ("/home/a, b/x.mdb" gives two items, the
// blanks around the commas lost), while every value here is one text: such a value is read from
// its line instead.
bool RawValue(const QString& path, const QString& groupAndName, QString& value) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qsizetype slash = groupAndName.lastIndexOf(u'/');
  const QString group = u'[' + (slash < 0 ? QStringLiteral("General") : groupAndName.left(slash)) + u']';
  const QString key = groupAndName.mid(slash + 1);
  bool inGroup = false;
  for (const QByteArray& bytes : file.readAll().split('\n')) {
    const QString line = QString::fromUtf8(bytes).trimmed();
    if (line.startsWith(u'[')) {
      inGroup = line == group;
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (!inGroup || equals < 0 || line.left(equals).trimmed() != key) continue;
    value = line.mid(equals + 1).trimmed();
    return true;
  }
  return false;
}

// True when the file written ends with the line end of its last line. Qt's writer takes a write
// the disk cut short (a disk with room for part of the text) for a whole one, and puts the cut
// file in place: its last line then lacks its end. A refusal before any byte is told by the
// writer itself.
bool EndsWhole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  char last = '\n';
  return size == 0 || (file.seek(size - 1) && file.getChar(&last) && last == '\n');
}

}  // namespace

QString FilePath() {
  const QByteArray env = qgetenv(kEnvironmentVariable);
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quendo/quendo.ini");
}

bool Exists() {
  const QFileInfo info(FilePath());
  return info.exists() && info.isFile() && info.isReadable();
}

ReadResult Read(const char* name, std::string& value) {
  if (!Exists()) return ReadResult::KeyMissing;
  QSettings file(FilePath(), QSettings::IniFormat);
  if (file.status() != QSettings::NoError) return ReadResult::KeyMissing;
  const QVariant v = file.value(Key(name));
  QString read;
  if (v.typeId() == QMetaType::QStringList) {
    if (!RawValue(FilePath(), Key(name), read)) return ReadResult::Absent;
  } else {
    if (!v.isValid() || !v.canConvert<QString>()) return ReadResult::Absent;
    read = v.toString();
  }
  std::string text;
  if (!cp1252::FromQString(read, text)) return ReadResult::Absent;
  if (text.size() + 1 > static_cast<size_t>(kBufferSize)) return ReadResult::Absent;
  value = text;
  return ReadResult::Read;
}

bool Write(const char* name, const std::string& value) {
  // Only a value that Read gives back is stored: a longer one would read as absent.
  if (value.size() + 1 > static_cast<size_t>(kBufferSize)) return false;
  const QString path = FilePath();
  const QFileInfo info(path);
  // The new text takes the file's name: a folder, a device, a pipe or a socket of that name (or a
  // link to one) is never replaced, nor written through. Qt takes a device for a file: the kind
  // is the system's.
  if (HeldByNoFile(QFile::encodeName(path).toStdString(), PathText::Native) || !QDir().mkpath(info.absolutePath())) {
    g_unwritten = true;
    return false;
  }
  QSettings file(path, QSettings::IniFormat);
  // The file is written anew with every value: one that the reader takes for a list would come
  // back with its commas' blanks changed, so it is written back whole, as one quoted text.
  for (const QString& key : file.allKeys()) {
    QString whole;
    if (file.value(key).typeId() == QMetaType::QStringList && RawValue(path, key, whole)) file.setValue(key, whole);
  }
  file.setValue(Key(name), cp1252::ToQString(value));
  file.sync();
  if (file.status() == QSettings::NoError && EndsWhole(path)) return true;
  g_unwritten = true;
  return false;
}

bool EveryWriteDone() { return !g_unwritten; }

void RemoveInterruptedWrites() {
  const QFileInfo file(FilePath());
  // The lock QSettings takes while it writes the file; one left by a killed writer is stale, and
  // taken over.
  QLockFile lock(file.absoluteFilePath() + QStringLiteral(".lock"));
  if (!lock.tryLock(0)) return;
  // Qt writes the new text to a file of the name followed by a dot and six letters drawn at random
  // from capitals and small letters, then renames it over the file. Six letters of one case (a
  // copy the user named "quendo.ini.backup") are a word, never taken for it.
  const QRegularExpression temporary(
      QRegularExpression::anchoredPattern(QRegularExpression::escape(file.fileName()) +
                                          QStringLiteral("\\.(?=[A-Za-z]*[A-Z])(?=[A-Za-z]*[a-z])[A-Za-z]{6}")));
  QDir folder = file.absoluteDir();
  for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (temporary.match(name).hasMatch()) folder.remove(name);
}

}  // namespace settings
