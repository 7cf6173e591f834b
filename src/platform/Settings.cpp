#include "platform/Settings.h"

#include "common/Cp1252.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace settings {
namespace {

constexpr int kBufferSize = 2048;  // a value must fit with its terminator

QString Key(const char* name) { return QString::fromLatin1(kGroup) + u'/' + QString::fromLatin1(name); }

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
  if (!v.isValid() || !v.canConvert<QString>()) return ReadResult::Absent;
  std::string text;
  if (!cp1252::FromQString(v.toString(), text)) return ReadResult::Absent;
  if (text.size() + 1 > static_cast<size_t>(kBufferSize)) return ReadResult::Absent;
  value = text;
  return ReadResult::Read;
}

bool Write(const char* name, const std::string& value) {
  const QString path = FilePath();
  const QFileInfo info(path);
  if (!QDir().mkpath(info.absolutePath())) return false;
  QSettings file(path, QSettings::IniFormat);
  file.setValue(Key(name), cp1252::ToQString(value));
  file.sync();
  return file.status() == QSettings::NoError;
}

}  // namespace settings
