#include "exchange/GeoStops.h"

void GeoStopList::Append(long id, double x, double y) {
  byId_.try_emplace(id, stops_.size());
  stops_.push_back({id, x, y, {}});
}

GeoStop* GeoStopList::FindById(long id) {
  const auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : &stops_[found->second];
}

void GeoStopList::SetCode(GeoStop& stop, const char* code) {
  stop.code = code ? code : "";
  codesIndexed_ = false;
}

void GeoStopList::GetCoordinates(const std::string& code, double& x, double& y) const {
  if (!codesIndexed_) {
    byCode_.clear();
    for (std::size_t k = 0; k < stops_.size(); ++k) byCode_.try_emplace(stops_[k].code, k);
    codesIndexed_ = true;
  }
  // A point of another company keeps an empty code: it never gives coordinates to a stop.
  const auto found = code.empty() ? byCode_.end() : byCode_.find(code);
  x = found == byCode_.end() ? 0.0 : stops_[found->second].x;
  y = found == byCode_.end() ? 0.0 : stops_[found->second].y;
}

void GeoStopList::Clear() {
  stops_.clear();
  byId_.clear();
  byCode_.clear();
  codesIndexed_ = false;
}
