// Date: milliseconds since 1970 UTC, shown in the local time of the machine.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_vm.h"
#include "core/text.h"

namespace zp::swf {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMaxTime = 8.64e15;

// Days from 1970-01-01 to the first of `month` (0-based, may overflow) of `year`.
double DaysFromCivil(double year, double month, double day) {
  year += std::floor(month / 12);
  month = std::fmod(month, 12);
  if (month < 0) month += 12;
  const double y = month < 2 ? year - 1 : year;
  const double era = std::floor(y / 400);
  const double yoe = y - era * 400;
  const double mp = std::fmod(month + 10, 12);
  const double doy = std::floor((153 * mp + 2) / 5) + day - 1;
  const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
  return era * 146097 + doe - 719468;
}

struct Parts {
  double year, month, day, hours, minutes, seconds, ms, weekday;
};

Parts Split(double t) {
  const double days = std::floor(t / kMsPerDay);
  double msInDay = t - days * kMsPerDay;
  const double z = days + 719468;
  const double era = std::floor(z / 146097);
  const double doe = z - era * 146097;
  const double yoe = std::floor((doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
  const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
  const double mp = std::floor((5 * doy + 2) / 153);
  Parts p;
  p.day = doy - std::floor((153 * mp + 2) / 5) + 1;
  p.month = mp < 10 ? mp + 2 : mp - 10;
  p.year = yoe + era * 400 + (p.month < 2 ? 1 : 0);
  p.hours = std::floor(msInDay / 3600000);
  msInDay -= p.hours * 3600000;
  p.minutes = std::floor(msInDay / 60000);
  msInDay -= p.minutes * 60000;
  p.seconds = std::floor(msInDay / 1000);
  p.ms = msInDay - p.seconds * 1000;
  p.weekday = std::fmod(days + 4, 7);
  if (p.weekday < 0) p.weekday += 7;
  return p;
}

double Join(const Parts& p) {
  return DaysFromCivil(p.year, p.month, p.day) * kMsPerDay + p.hours * 3600000 + p.minutes * 60000 + p.seconds * 1000 +
         p.ms;
}

double TimeClip(double t) { return std::isfinite(t) && std::fabs(t) <= kMaxTime ? t : kNaN; }

// For tests that must print the same dates anywhere: ZENTRA_MOVIE_CLOCK="MS,MINUTES" stops the
// clock at MS milliseconds after 1970 (UTC) in a zone MINUTES east of UTC. Anything else in it
// leaves the machine's clock and zone.
struct FixedClock {
  double ms = 0;
  double offsetMinutes = 0;
};

std::optional<FixedClock> TestClock() {
  const char* text = std::getenv("ZENTRA_MOVIE_CLOCK");
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  FixedClock clock;
  clock.ms = std::strtod(text, &end);
  if (end == text || *end != ',') return std::nullopt;
  const char* minutes = end + 1;
  clock.offsetMinutes = std::strtod(minutes, &end);
  if (end == minutes || *end != '\0' || !std::isfinite(clock.ms) || std::fabs(clock.offsetMinutes) > 24 * 60) {
    return std::nullopt;
  }
  return clock;
}

// The machine's offset from UTC in minutes (east positive) now.
double LocalOffsetMinutes() {
  if (const auto fixed = TestClock()) return fixed->offsetMinutes;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  localtime_s(&local, &now);
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  const double l = DaysFromCivil(local.tm_year + 1900, local.tm_mon, local.tm_mday) * 1440 + local.tm_hour * 60 + local.tm_min;
  const double u = DaysFromCivil(utc.tm_year + 1900, utc.tm_mon, utc.tm_mday) * 1440 + utc.tm_hour * 60 + utc.tm_min;
  return l - u;
}

double NowMs() {
  if (const auto fixed = TestClock()) return fixed->ms;
  return static_cast<double>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

Object* SelfDate(const Value& self) {
  Object* o = self.ObjectOrNull();
  return o && o->kind() == ObjectKind::kDate ? o : nullptr;
}

double TimeOf(const Value& self) {
  const Object* o = SelfDate(self);
  return o && o->primitive.IsNumber() ? o->primitive.AsNumber() : kNaN;
}

// Components given as arguments, from `first` (year, month, day, hours, minutes, seconds, ms).
double FromComponents(Vm& vm, std::span<const Value> args, bool local) {
  Parts p{kNaN, 0, 1, 0, 0, 0, 0, 0};
  double* fields[] = {&p.year, &p.month, &p.day, &p.hours, &p.minutes, &p.seconds, &p.ms};
  for (size_t i = 0; i < args.size() && i < 7; ++i) *fields[i] = vm.ToNumber(args[i]);
  if (p.year >= 0 && p.year <= 99) p.year += 1900;
  double t = Join(p);
  if (local) t -= LocalOffsetMinutes() * 60000;
  return TimeClip(t);
}

Value DateConstruct(Vm& vm, const Value&, std::span<const Value> args) {
  Object* o = vm.heap().Make(ObjectKind::kDate);
  o->SetProto(vm.dateProto);
  double t = NowMs();
  if (args.size() == 1) {
    // A date given a date takes its time (its valueOf), not its text.
    t = TimeClip(SelfDate(args[0]) ? TimeOf(args[0]) : vm.ToNumber(args[0]));
  } else if (args.size() > 1) {
    t = FromComponents(vm, args, true);
  }
  o->primitive = Value(t);
  return Value(o);
}

std::u16string Format(double t) {
  if (std::isnan(t)) return u"Invalid Date";
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const double offset = LocalOffsetMinutes();
  const Parts p = Split(t + offset * 60000);
  const int off = static_cast<int>(std::fabs(offset));
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f", kDays[static_cast<int>(p.weekday)],
                kMonths[static_cast<int>(p.month)], static_cast<int>(p.day), static_cast<int>(p.hours),
                static_cast<int>(p.minutes), static_cast<int>(p.seconds), offset < 0 ? '-' : '+', off / 60, off % 60,
                p.year);
  return Utf8ToU16(buffer);
}

Value DateCall(Vm&, const Value&, std::span<const Value>) { return Value(Format(NowMs())); }
Value DateToString(Vm&, const Value& self, std::span<const Value>) { return Value(Format(TimeOf(self))); }
Value DateValueOf(Vm&, const Value& self, std::span<const Value>) { return Value(TimeOf(self)); }
Value DateUtc(Vm& vm, const Value&, std::span<const Value> args) { return Value(FromComponents(vm, args, false)); }

// Getters: which field, local or UTC.
enum class Field { kYear, kShortYear, kMonth, kDay, kWeekday, kHours, kMinutes, kSeconds, kMs };

template <Field F, bool Utc>
Value Get(Vm&, const Value& self, std::span<const Value>) {
  double t = TimeOf(self);
  if (std::isnan(t)) return Value(kNaN);
  if (!Utc) t += LocalOffsetMinutes() * 60000;
  const Parts p = Split(t);
  switch (F) {
    case Field::kYear: return Value(p.year);
    case Field::kShortYear: return Value(p.year - 1900);
    case Field::kMonth: return Value(p.month);
    case Field::kDay: return Value(p.day);
    case Field::kWeekday: return Value(p.weekday);
    case Field::kHours: return Value(p.hours);
    case Field::kMinutes: return Value(p.minutes);
    case Field::kSeconds: return Value(p.seconds);
    case Field::kMs: return Value(std::floor(p.ms));  // a fraction of a millisecond is not shown
  }
  return Value();
}

// Setters take the field and the ones after it (setHours(h, m, s, ms)).
template <Field F, bool Utc>
Value Set(Vm& vm, const Value& self, std::span<const Value> args) {
  Object* o = SelfDate(self);
  if (!o) return Value();
  double t = TimeOf(self);
  const double offset = Utc ? 0 : LocalOffsetMinutes() * 60000;
  if (std::isnan(t)) t = 0;
  Parts p = Split(t + offset);
  double* order[] = {&p.year, &p.month, &p.day, &p.hours, &p.minutes, &p.seconds, &p.ms};
  size_t first = 0;
  switch (F) {
    case Field::kYear:
    case Field::kShortYear: first = 0; break;
    case Field::kMonth: first = 1; break;
    case Field::kDay:
    case Field::kWeekday: first = 2; break;
    case Field::kHours: first = 3; break;
    case Field::kMinutes: first = 4; break;
    case Field::kSeconds: first = 5; break;
    case Field::kMs: first = 6; break;
  }
  const size_t most = F == Field::kDay ? 1 : F == Field::kYear ? 3 : 7 - first;
  for (size_t i = 0; i < args.size() && i < most && first + i < 7; ++i) *order[first + i] = vm.ToNumber(args[i]);
  if (F == Field::kShortYear && p.year >= 0 && p.year <= 99) p.year += 1900;
  const double result = args.empty() ? kNaN : TimeClip(Join(p) - offset);
  o->primitive = Value(result);
  return Value(result);
}

Value SetTime(Vm& vm, const Value& self, std::span<const Value> args) {
  Object* o = SelfDate(self);
  if (!o) return Value();
  o->primitive = Value(TimeClip(vm.ToNumber(Arg(args, 0))));
  return o->primitive;
}

Value TimezoneOffset(Vm&, const Value&, std::span<const Value>) { return Value(-LocalOffsetMinutes()); }

}  // namespace

void InstallDate(Vm& vm) {
  Object* date = MakeConstructor(vm, u"Date", DateCall, DateConstruct, vm.dateProto);
  vm.Method(date, u"UTC", DateUtc);
  Object* p = vm.dateProto;
  vm.Method(p, u"toString", DateToString);
  vm.Method(p, u"valueOf", DateValueOf);
  vm.Method(p, u"getTime", DateValueOf);
  vm.Method(p, u"getTimezoneOffset", TimezoneOffset);
  vm.Method(p, u"setTime", SetTime);
  vm.Method(p, u"getFullYear", Get<Field::kYear, false>);
  vm.Method(p, u"getYear", Get<Field::kShortYear, false>);
  vm.Method(p, u"getMonth", Get<Field::kMonth, false>);
  vm.Method(p, u"getDate", Get<Field::kDay, false>);
  vm.Method(p, u"getDay", Get<Field::kWeekday, false>);
  vm.Method(p, u"getHours", Get<Field::kHours, false>);
  vm.Method(p, u"getMinutes", Get<Field::kMinutes, false>);
  vm.Method(p, u"getSeconds", Get<Field::kSeconds, false>);
  vm.Method(p, u"getMilliseconds", Get<Field::kMs, false>);
  vm.Method(p, u"getUTCFullYear", Get<Field::kYear, true>);
  vm.Method(p, u"getUTCYear", Get<Field::kShortYear, true>);
  vm.Method(p, u"getUTCMonth", Get<Field::kMonth, true>);
  vm.Method(p, u"getUTCDate", Get<Field::kDay, true>);
  vm.Method(p, u"getUTCDay", Get<Field::kWeekday, true>);
  vm.Method(p, u"getUTCHours", Get<Field::kHours, true>);
  vm.Method(p, u"getUTCMinutes", Get<Field::kMinutes, true>);
  vm.Method(p, u"getUTCSeconds", Get<Field::kSeconds, true>);
  vm.Method(p, u"getUTCMilliseconds", Get<Field::kMs, true>);
  vm.Method(p, u"setFullYear", Set<Field::kYear, false>);
  vm.Method(p, u"setYear", Set<Field::kShortYear, false>);
  vm.Method(p, u"setMonth", Set<Field::kMonth, false>);
  vm.Method(p, u"setDate", Set<Field::kDay, false>);
  vm.Method(p, u"setHours", Set<Field::kHours, false>);
  vm.Method(p, u"setMinutes", Set<Field::kMinutes, false>);
  vm.Method(p, u"setSeconds", Set<Field::kSeconds, false>);
  vm.Method(p, u"setMilliseconds", Set<Field::kMs, false>);
  vm.Method(p, u"setUTCFullYear", Set<Field::kYear, true>);
  vm.Method(p, u"setUTCMonth", Set<Field::kMonth, true>);
  vm.Method(p, u"setUTCDate", Set<Field::kDay, true>);
  vm.Method(p, u"setUTCHours", Set<Field::kHours, true>);
  vm.Method(p, u"setUTCMinutes", Set<Field::kMinutes, true>);
  vm.Method(p, u"setUTCSeconds", Set<Field::kSeconds, true>);
  vm.Method(p, u"setUTCMilliseconds", Set<Field::kMs, true>);
}

}  // namespace zp::swf
