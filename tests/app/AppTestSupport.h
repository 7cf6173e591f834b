#pragma once
// Pieces shared by the shell's tests: a small database of the test's own with the two tables the
// start-up reads, settings files, and runs of the headless driver.

#include <QStringList>
#include <string>
#include <vector>

// The master and regazi tables, declared as the builder declares them.
inline const char* kShellSchema = R"sql(
CREATE TABLE master (
  codice SMALLINT NOT NULL,
  azienda SMALLINT,
  p_data DATE,
  protoc INT,
  resple VARCHAR(40) COLLATE RTRIM CONSTRAINT resple__size CHECK (length(resple) <= 40),
  datini DATE,
  datfin DATE,
  id_corsa INT,
  gruppo INT,
  CONSTRAINT "codice" PRIMARY KEY (codice));
CREATE TABLE regazi (
  codice SMALLINT NOT NULL,
  denom VARCHAR(40) COLLATE RTRIM CONSTRAINT denom__size CHECK (length(denom) <= 40),
  CONSTRAINT "codice" PRIMARY KEY (codice));
)sql";

// Writes a settings file: group "1.00" with the given lines ("Database=...").
void WriteSettings(const std::string& path, const std::vector<std::string>& lines);

// Reads one value of a settings file as the program would; "<absent>" when it is not there.
std::string SettingsValue(const std::string& path, const char* name);

struct DriverRun {
  int exitCode = -1;
  bool finished = false;
  std::string out;                      // standard output, UTF-8
  std::string err;                      // standard error, UTF-8
  std::vector<std::string> transcript;  // lines of the transcript file, UTF-8
};

// Runs quendo-run with the settings file, the answers (one per line, written to a file of the
// run's own) and the further arguments; the transcript is read back. `home` (when given) becomes
// the run's home folder.
DriverRun RunDriver(const std::string& settingsPath, const std::vector<std::string>& answers,
                    const QStringList& arguments, const std::string& home = {});

// The transcript lines that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// Text in the program's code page as the transcript writes it (UTF-8).
std::string U8(const std::string& cp1252Text);
