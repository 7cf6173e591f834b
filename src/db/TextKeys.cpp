#include "db/TextKeys.h"

#include "common/Cp1252.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <array>

namespace {

constexpr char kMicro = '\xB5';  // µ, which Unicode folds to the Greek small mu the code page lacks

// Each Windows-1252 byte folded as Unicode folds its character, where the code page has the
// folded one (µ folds to a Greek letter it lacks, and stays: a whole text with it is keyed by its
// Unicode fold, WholeKey below).
const std::array<char, 256>& FoldTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int b = 0; b < 256; ++b) {
      unsigned char folded = static_cast<unsigned char>(b);
      if (!cp1252::FromUnicode(QChar::toCaseFolded(cp1252::ToUnicode(static_cast<unsigned char>(b))), folded))
        folded = static_cast<unsigned char>(b);
      t[static_cast<size_t>(b)] = static_cast<char>(folded);
    }
    return t;
  }();
  return table;
}

// The stored UTF-8 of a text, folded character by character as Unicode folds each; bytes that are
// no UTF-8 stay as they are, unfolded, so that two such texts stay two.
std::string FoldedStored(const std::string& stored) {
  const QString text = QString::fromUtf8(stored.data(), static_cast<qsizetype>(stored.size()));
  if (text.toUtf8() != QByteArrayView(stored.data(), static_cast<qsizetype>(stored.size()))) return stored;
  QList<uint> codes = text.toUcs4();
  for (uint& code : codes) code = QChar::toCaseFolded(static_cast<char32_t>(code));
  const QByteArray folded =
      QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size()).toUtf8();
  return std::string(folded.constData(), static_cast<size_t>(folded.size()));
}

// The key of a text that lost a character, from its stored text; of bytes, from their literal,
// which no fold makes a text.
std::string LostKey(const std::string& stored, LetterCase letterCase) {
  if (letterCase == LetterCase::Counts || DbText::IsBytesLiteral(stored)) return '\0' + stored;
  const std::string folded = FoldedStored(stored);
  // Folded, it may be a text the code page holds whole (the Kelvin sign folds to k): then it is
  // that text's key.
  std::string whole;
  if (cp1252::FromUtf8(folded, whole)) {
    FoldLetters(whole);
    return whole;
  }
  return '\0' + folded;
}

// The key of a whole text without regard to letter case: its letters folded in the code page, or,
// with a µ (whose fold the code page lacks), the key of its Unicode fold, which a text read with
// '?' for a Greek mu (Μ or μ) has too.
void FoldWholeText(std::string& text) {
  if (text.find(kMicro) == std::string::npos) {
    FoldLetters(text);
    return;
  }
  text = LostKey(cp1252::ToUtf8(text), LetterCase::Ignored);
}

}  // namespace

char FoldedLetter(char c) { return FoldTable()[static_cast<unsigned char>(c)]; }

void FoldLetters(std::string& text) {
  const std::array<char, 256>& table = FoldTable();
  for (char& c : text) c = table[static_cast<unsigned char>(c)];
}

std::string TextKey(const DbText& text, LetterCase letterCase) {
  if (text.Lost()) return LostKey(text.stored, letterCase);
  std::string key = text.text;
  if (letterCase == LetterCase::Ignored) FoldWholeText(key);
  return key;
}

void ReadTextKey(DbSelect& select, int position, std::string& key, LetterCase letterCase) {
  DbSelect::LostCharacter lost;
  select.ReadTrimmedText(position, key, lost);
  if (lost.code != 0) {
    key = LostKey(select.TrimmedTextAt(position).stored, letterCase);
    return;
  }
  if (letterCase == LetterCase::Ignored) FoldWholeText(key);
}

void ReadKeyedText(DbSelect& select, int position, KeyedText& out) {
  DbSelect::LostCharacter lost;
  select.ReadTrimmedText(position, out.text, lost);
  out.lostKey.clear();
  if (lost.code != 0) out.lostKey = LostKey(select.TrimmedTextAt(position).stored, LetterCase::Counts);
}

KeyedText KeyedTextAt(DbSelect& select, int position) {
  KeyedText out;
  ReadKeyedText(select, position, out);
  return out;
}

std::string TextKeyAt(DbSelect& select, int position, LetterCase letterCase) {
  std::string key;
  ReadTextKey(select, position, key, letterCase);
  return key;
}
