#include "reports/PageDumpCanvas.h"

#include "common/Cp1252.h"
#include "common/Formatters.h"

void PageDumpCanvas::BeginPage(bool preview, int page, int pageCount) {
  out_ += Format("=== %s pagina %d di %d\n", preview ? "anteprima" : "stampa", page, pageCount);
}

void PageDumpCanvas::Text(int x, int y, std::string_view text) {
  inner_.Text(x, y, text);
  if (text.empty()) return;  // nothing is drawn
  out_ += Format("%d\t%d\t", x, y);
  out_ += cp1252::ToUtf8(text);
  out_ += '\n';
}

void PageDumpCanvas::Fill(int left, int top, int right, int bottom, std::uint32_t rgb) {
  inner_.Fill(left, top, right, bottom, rgb);
  const std::string colour = rgb == kBlack  ? std::string("nero")
                             : rgb == kGrey ? std::string("grigio")
                                            : Format("%06X", static_cast<unsigned>(rgb));
  out_ += Format("### fondo %s\t%d\t%d\t%d\t%d\n", colour.c_str(), left, top, right, bottom);
}
