#pragma once
// A temporary program folder for the desktop tests: the settings file and
// ChsFonts.ini live there instead of beside the test binary.
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "support/profile.h"
#include "support/settings.h"

namespace bq::test {

class TTempProgram {
 public:
  // Copies the project's ChsFonts.ini unless another text is given.
  explicit TTempProgram(const QByteArray* fontsIni = nullptr) {
    dir_.setAutoRemove(true);
    SetProgramPathForTesting(Path("boardquill").toStdString());
    if (fontsIni) {
      Write("ChsFonts.ini", *fontsIni);
    } else {
      QFile::copy(BQ_SOURCE_DIR "/data/ChsFonts.ini", Path("ChsFonts.ini"));
    }
  }
  ~TTempProgram() { SetProgramPathForTesting({}); }
  TTempProgram(const TTempProgram&) = delete;
  TTempProgram& operator=(const TTempProgram&) = delete;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string SettingsFile() const { return Path("boardquill.ini").toStdString(); }

  void Write(const QString& name, const QByteArray& bytes) const {
    QFile f(Path(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The keys of a section of the settings file, in file order.
  QStringList Keys(const char* section) const {
    QStringList keys;
    for (const std::string& k : TProfileFile::Load(SettingsFile()).Keys(section)) {
      keys << QString::fromStdString(k);
    }
    return keys;
  }
  std::string Value(const char* section, const char* key) const {
    return TProfileFile::Load(SettingsFile()).ReadString(section, key, "<missing>");
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace bq::test
