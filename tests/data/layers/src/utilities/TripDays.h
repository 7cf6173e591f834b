// Another set of days of the same name.
class DayBits {
 public:
  bool Test(int day) const { return day == 2; }
};
