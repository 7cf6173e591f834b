#pragma once
// The files of one export, written all or none. Each file is first written whole to a temporary
// beside its final name in the output folder ("RT_HDORA.TXT.part"); only when every file of the
// set is complete are they put in place, one rename each. A file that cannot be created or
// written, at any point, leaves the folder as it was: the temporaries are removed and the files
// that were there before keep their content. Putting the set in place moves any previous file
// aside first ("RT_HDORA.TXT.old") and brings it back should a later rename fail, so that the
// folder never holds a mix of old and new files.
//
// Lines are written as the program's text files are: the bytes as given (Windows-1252), each
// line ended by CR LF.

#include <string>
#include <string_view>
#include <vector>

class ExportFileSet {
 public:
  // `folder` is Windows-1252, without the final separator.
  explicit ExportFileSet(std::string folder);
  // Removes whatever temporaries are left (a set that was not put in place).
  ~ExportFileSet();
  ExportFileSet(const ExportFileSet&) = delete;
  ExportFileSet& operator=(const ExportFileSet&) = delete;

  // Starts the next file of the set (the previous one must be finished). False when its
  // temporary cannot be created; the set has then failed.
  bool Begin(const std::string& fileName);
  // Appends to the current file; a failure is remembered and reported by Finish.
  void Write(std::string_view bytes);
  void WriteLine(std::string_view line) {
    if (fd_ >= 0 && !writeFailed_ && buffer_.size() + line.size() + 2 <= kBufferSize) {
      buffer_.append(line).append("\r\n", 2);  // the usual case: room for the whole line
      return;
    }
    Write(line);
    Write("\r\n");
  }
  // Completes the current file: everything flushed to the disk and closed. False on failure.
  bool Finish();

  // Puts every finished file in place. False when one could not be: the folder is then back
  // as it was. A set that has failed is never put in place.
  bool Commit();
  // Drops the temporaries (also done by the destructor).
  void Abort();

  bool Failed() const { return failed_; }
  // Marks the set as failed because of the named file (the first failure is the one named).
  void Fail(const std::string& fileName);
  // The final path (Windows-1252) of the file that failed: the message names it.
  const std::string& FailedPath() const { return failedPath_; }
  // The final paths of the files put in place by Commit.
  const std::vector<std::string>& Written() const { return written_; }

  // The path of a file of the set: folder, separator, name.
  std::string PathOf(const std::string& fileName) const;
  static constexpr const char* kTemporarySuffix = ".part";
  static constexpr const char* kPreviousSuffix = ".old";

 private:
  bool Flush();
  static constexpr size_t kBufferSize = 1 << 20;

  struct Entry {
    std::string name;       // "RT_HDORA.TXT"
    std::string temporary;  // native path of the temporary
    std::string final;      // native path of the file
  };

  std::string folder_;
  std::vector<Entry> entries_;
  int fd_ = -1;
  std::string buffer_;
  size_t fileSize_ = 0;  // bytes of the current file written so far
  bool writeFailed_ = false;
  bool failed_ = false;
  bool committed_ = false;
  std::string failedPath_;
  std::vector<std::string> written_;
};
