// A shapefile set through the one reader: its headers, every record's geometry, content and
// attributes, the multi-part rule on. The input is a set ("@@ NAME" before each file); the first
// file's name is the one chosen.
#include "FuzzSupport.h"
#include "conversions/shapefiles/ShapeSetReader.h"

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<fuzz::SetFile> files = fuzz::SplitSet(fuzz::Bytes(data, size));
  if (files.empty()) return 0;
  const std::string folder = fuzz::WriteSet(files);
  ShapeSetReader reader;
  reader.SetMultiPartRule(true);
  if (reader.Open(folder + "/" + files.front().name)) {
    for (int i = 0; i < reader.Count(); ++i) {
      ShapeRecord shape;
      std::string_view content, record;
      if (!reader.Shape(i, shape) || !reader.Content(i, content) || !reader.Record(i, record)) {
        fuzz::Require(!reader.Fault().empty(), "a damaged record without its fault");
        break;
      }
      fuzz::Require(shape.point || shape.parts > 0 || shape.points.empty(), "points of a record without parts");
      for (const DbfField& field : reader.Fields()) {
        reader.CodeOrName(i, record, field);
        reader.Number(record, field);
      }
    }
    reader.FinishWarnings();
  } else {
    fuzz::Require(!reader.Fault().empty(), "a set refused without its fault");
  }
  fuzz::TakeNotices();
  return 0;
}
