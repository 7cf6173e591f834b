#include "exchange/ExchangeText.h"

#include "common/Cp1252.h"
#include "common/InputFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstring>

namespace {

constexpr size_t kBlock = 1 << 20;  // bytes read at a time
constexpr char kDosEof = '\x1A';

}  // namespace

ExchangeReader::ExchangeReader() = default;
ExchangeReader::~ExchangeReader() = default;

void ExchangeReader::Restart() {
  begin_ = end_ = 0;
  atEnd_ = failed_ = false;
  lastByte_ = 0;
  kept_.clear();
  hash_ = pending_ = total_ = 0;
  pendingBytes_ = 0;
}

bool ExchangeReader::Open(const std::string& path) {
  Restart();
  file_ = std::make_unique<QFile>();
  opening_ = OpenInputFile(*file_, path);
  if (opening_ != InputOpening::Opened) {
    file_.reset();
    return false;
  }
  // Only the bytes read are looked at: the block is not cleared first.
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBlock);
  return true;
}

bool ExchangeReader::Rewind() {
  Restart();
  if (!file_ || !file_->seek(0)) {
    failed_ = true;
    return false;
  }
  return true;
}

void ExchangeReader::Mix(const char* p, size_t n) {
  const auto word = [this](std::uint64_t w) {
    hash_ = (hash_ ^ w) * 0x9E3779B97F4A7C15ULL;
    hash_ ^= hash_ >> 29;
  };
  total_ += n;
  // The digest takes the bytes eight at a time, whatever the blocks they were read in.
  while (n > 0 && pendingBytes_ > 0) {
    pending_ |= static_cast<std::uint64_t>(static_cast<unsigned char>(*p++)) << (8 * pendingBytes_);
    --n;
    if (++pendingBytes_ == 8) {
      word(pending_);
      pending_ = 0;
      pendingBytes_ = 0;
    }
  }
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    word(w);
  }
  for (; n > 0; --n) pending_ |= static_cast<std::uint64_t>(static_cast<unsigned char>(*p++)) << (8 * pendingBytes_++);
}

std::uint64_t ExchangeReader::Digest() const {
  return (hash_ ^ pending_ ^ (static_cast<std::uint64_t>(pendingBytes_) << 56)) * 0x9E3779B97F4A7C15ULL + total_;
}

bool ExchangeReader::Fill() {
  begin_ = end_ = 0;
  if (!file_ || failed_) {
    failed_ = true;
    return false;
  }
  const qint64 n = file_->read(buffer_.get(), static_cast<qint64>(kBlock));
  if (n < 0) {
    failed_ = true;
    return false;
  }
  if (n == 0) {
    atEnd_ = true;
    return true;
  }
  end_ = static_cast<size_t>(n);
  Mix(buffer_.get(), end_);
  lastByte_ = buffer_[end_ - 1];
  return true;
}

bool ExchangeReader::Next(Line& line) {
  if (failed_ || !file_) return false;
  bool spanning = false;  // the line began in an earlier block: its first bytes are in kept_
  size_t length = 0;      // of a spanning line
  char last = 0;          // its last byte so far
  const auto keep = [&](std::string_view chunk) {
    if (chunk.empty()) return;
    if (kept_.size() < kMaxKept) kept_.append(chunk.substr(0, kMaxKept - kept_.size()));
    length += chunk.size();
    last = chunk.back();
  };
  // Drops the line's last byte (a CR before its line end, the file's final Ctrl-Z).
  const auto dropLast = [&](std::string_view& text, size_t& size) {
    if (text.size() == size) text.remove_suffix(1);
    --size;
  };
  for (;;) {
    if (begin_ == end_ && !atEnd_) {
      if (!Fill()) return false;
      continue;
    }
    const char* base = buffer_.get();
    const std::string_view rest(base + begin_, end_ - begin_);
    const size_t newline = rest.find('\n');
    if (newline != std::string_view::npos) {
      std::string_view chunk = rest.substr(0, newline);
      begin_ += newline + 1;
      if (!spanning) {
        if (!chunk.empty() && chunk.back() == '\r') chunk.remove_suffix(1);
        if (chunk.size() > kMaxKept) {
          line = {chunk.substr(0, kMaxKept), chunk.size()};
        } else {
          line = {chunk, chunk.size()};
        }
        return true;
      }
      keep(chunk);
      line = {kept_, length};
      if (length > 0 && last == '\r') dropLast(line.text, line.length);
      return true;
    }
    if (atEnd_) {
      // The last line, without line end: a Ctrl-Z that ends the file is no part of it, and a CR
      // left at its end is taken as its line end.
      if (rest.empty() && !spanning) return false;
      begin_ = end_;
      if (spanning) {
        keep(rest);
        line = {kept_, length};
      } else {
        line = {rest.substr(0, kMaxKept), rest.size()};
      }
      if (lastByte_ == kDosEof) {
        dropLast(line.text, line.length);
        if (line.length == 0) return false;
      }
      if (line.length > 0 && line.text.size() == line.length && line.text.back() == '\r')
        dropLast(line.text, line.length);
      return true;
    }
    // The line goes on in the next block.
    if (!spanning) {
      kept_.clear();
      spanning = true;
    }
    keep(rest);
    begin_ = end_;
  }
}

std::string_view TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

std::string_view TrimRightKeepOne(std::string_view text) {
  if (text.empty()) return text;
  size_t n = text.size();
  while (n > 1 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(0, cut);
}

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
  const std::string exact = folder + "/" + name;
  const QString wanted = cp1252::ToQString(name);
  const QDir dir(cp1252::ToQString(folder));
  if (QFile::exists(cp1252::ToQString(exact))) return exact;
  const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries)
    if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return folder + "/" + cp1252::FromQStringLossy(entry);
  return exact;
}

FolderFiles::FolderFiles(std::string folder) : folder_(std::move(folder)) {
  const QDir dir(cp1252::ToQString(folder_));
  for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
    entries_.insert(cp1252::FromQStringLossy(entry));
  // In the order FindFileNoCase walks them: the first file of a folded name is the one found.
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
    folded_.try_emplace(entry.toCaseFolded().toStdU16String(), cp1252::FromQStringLossy(entry));
}

std::string FolderFiles::Find(const std::string& name) const {
  const std::string exact = folder_ + "/" + name;
  if (entries_.count(name) || QFile::exists(cp1252::ToQString(exact))) return exact;
  const auto it = folded_.find(cp1252::ToQString(name).toCaseFolded().toStdU16String());
  return it == folded_.end() ? exact : folder_ + "/" + it->second;
}
