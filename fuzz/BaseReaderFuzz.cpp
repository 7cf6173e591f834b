// The reference base of the VUR-TXT v2 communication, read for the working company. A mutated
// line would almost always spoil its block's check value and end the reading there: before it is
// written, every closing tag's number is made the check value of the lines since its opening tag,
// so that the rows themselves are fuzzed. (A wrong check value is the tests' business.)
#include "FuzzSupport.h"
#include "exchange/communication/BaseReader.h"
#include "exchange/communication/VurTxtLayout.h"

QUENDO_FUZZ_INIT

namespace {

std::string Resealed(std::string_view input) {
  std::string out;
  out.reserve(input.size() + 64);
  long check = 0;
  size_t at = 0;
  while (at < input.size()) {
    const size_t end = input.find('\n', at);
    const size_t next = end == std::string_view::npos ? input.size() : end + 1;
    std::string_view line = input.substr(at, (end == std::string_view::npos ? input.size() : end) - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t close = line.find('>');
    if (line.substr(0, 2) == "</" && close != std::string_view::npos) {
      out.append(line.substr(0, close + 1)).append(std::to_string(check));
      out.append(input.substr(at + line.size(), next - at - line.size()));  // the line's end as it was
    } else {
      if (!line.empty() && line[0] == '<') {
        check = 0;
      } else {
        check = vurtxt::AddLine(check, line);
      }
      out.append(input.substr(at, next - at));
    }
    at = next;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchPath("RT2_17_1_BASE.TXT");
  fuzz::WriteWhole(path, Resealed(fuzz::Bytes(data, size)));
  const BaseReadResult result = ReadReferenceBase(path, 17, nullptr);
  fuzz::Require((result.outcome == BaseOutcome::Read) == (result.model != nullptr), "a model without a read base");
  fuzz::TakeNotices();
  return 0;
}
