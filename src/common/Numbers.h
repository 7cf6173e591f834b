#pragma once
// Numbers written and read with a decimal point whatever the user's locale. Qt takes the process's
// locale from the environment, so under an Italian desktop the C library's printf writes a decimal
// comma and its strtod reads one. The program's start sets the numeric locale back to C
// (SetCNumericLocale); the formatters and readers here do not depend on it, so that an engine gives
// the same bytes under any host (the program, the tests, the benchmarks, the fuzz targets).

#include <string>
#include <string_view>

// Sets the process's LC_NUMERIC back to "C": called once the application object, which took the
// locale from the environment, exists.
void SetCNumericLocale();

// printf's "%.*f" in the C locale: `decimals` digits after a point ("614630.11", "-0.50").
std::string FixedDecimals(double value, int decimals);

// printf's "%0*.*f" in the C locale: the text above, widened to `width` by zeros after the sign
// ("%012.2f": "000614630.11"); an infinity or a NaN is widened by blanks before it, as printf does.
std::string ZeroPaddedDecimals(double value, int width, int decimals);

// strtod in the C locale: the value at the start of `text`, a point before its decimals; `end`,
// when given, is set past what was read.
double CDecimalValue(const char* text, char** end = nullptr);

// While it lives, the calling thread's locale is C (uselocale): the printf family within keeps a
// point in a double's "%f", "%g" or "%e" (Format of common/Formatters runs under one).
class CNumericScope {
 public:
  CNumericScope();
  ~CNumericScope();
  CNumericScope(const CNumericScope&) = delete;
  CNumericScope& operator=(const CNumericScope&) = delete;

 private:
  void* previous_;  // the thread's locale before (a locale_t)
};
