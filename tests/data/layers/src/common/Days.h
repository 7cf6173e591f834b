// A set of days.
class DayBits {
 public:
  bool Test(int day) const { return day == 1; }
};
