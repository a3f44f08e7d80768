#include "platform/Variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace orlim {
namespace {

struct Coercion {
  Variant from;
  VarType to;
  HRESULT result;
  Variant expected;
};

TEST(Variant, CoercionsBetweenNumbersBoolsAndStrings) {
  const Coercion cases[] = {
      {Variant::fromLong(7), VarType::String, S_OK, Variant::fromString("7")},
      {Variant::fromLong(-2147483647 - 1), VarType::String, S_OK, Variant::fromString("-2147483648")},
      {Variant::fromString(" 12"), VarType::Long, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::fromString("12"), VarType::Long, S_OK, Variant::fromLong(12)},
      {Variant::fromString("-1.5"), VarType::Long, S_OK, Variant::fromLong(-2)},  // halves to even
      {Variant::fromString("2.5"), VarType::Short, S_OK, Variant::fromShort(2)},
      {Variant::fromString("abc"), VarType::Long, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::fromString("inf"), VarType::Float, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::fromString("1e999"), VarType::Float, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::fromString("TRUE"), VarType::Bool, S_OK, Variant::fromBool(true)},
      {Variant::fromString("false"), VarType::Long, S_OK, Variant::fromLong(0)},
      {Variant::fromString("0"), VarType::Bool, S_OK, Variant::fromBool(false)},
      {Variant::fromBool(true), VarType::Long, S_OK, Variant::fromLong(-1)},
      {Variant::fromBool(true), VarType::String, S_OK, Variant::fromString("True")},
      {Variant::fromLong(2), VarType::Bool, S_OK, Variant::fromBool(true)},
      {Variant::fromLong(32768), VarType::Short, DISP_E_OVERFLOW, Variant()},
      {Variant::fromLong(-32768), VarType::Short, S_OK, Variant::fromShort(-32768)},
      {Variant::fromFloat(2147483648.0f), VarType::Long, DISP_E_OVERFLOW, Variant()},
      {Variant::fromFloat(-2147483648.0f), VarType::Long, S_OK, Variant::fromLong(-2147483647 - 1)},
      {Variant::fromFloat(0.1f), VarType::String, S_OK, Variant::fromString("0.1")},
      {Variant(), VarType::Long, S_OK, Variant::fromLong(0)},
      {Variant(), VarType::String, S_OK, Variant::fromString("")},
      {Variant(), VarType::Dispatch, S_OK, Variant::nullDispatch()},
      {Variant::fromLong(0), VarType::Dispatch, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::nullDispatch(), VarType::Long, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::nullDispatch(), VarType::Dispatch, S_OK, Variant::nullDispatch()},
  };
  for (const Coercion& c : cases) {
    Variant out;
    EXPECT_EQ(c.from.coerceTo(c.to, out), c.result) << formatVariant(c.from) << " to " << varTypeName(c.to);
    if (c.result == S_OK) {
      EXPECT_EQ(out, c.expected) << formatVariant(c.from) << " to " << varTypeName(c.to);
    }
  }
}

TEST(Variant, LiteralsParseAndPrintBack) {
  struct Case {
    const char* text;
    Variant value;
  } cases[] = {
      {"42", Variant::fromLong(42)},
      {"-2147483648", Variant::fromLong(-2147483647 - 1)},
      {"1.5", Variant::fromFloat(1.5f)},
      {"True", Variant::fromBool(true)},
      {"False", Variant::fromBool(false)},
      {"Empty", Variant()},
      {"Nothing", Variant::nullDispatch()},
      {R"("")", Variant::fromString("")},
      {R"("a \"b\" c\\d")", Variant::fromString("a \"b\" c\\d")},
      {R"("two\nlines")", Variant::fromString("two\nlines")},
  };
  for (const Case& c : cases) {
    Variant parsed;
    ASSERT_TRUE(parseVariant(c.text, parsed)) << c.text;
    EXPECT_EQ(parsed, c.value) << c.text;
    EXPECT_EQ(formatVariant(parsed), c.text);
  }
  Variant v;
  EXPECT_TRUE(parseVariant("tRuE", v));
  EXPECT_EQ(v, Variant::fromBool(true));
  EXPECT_TRUE(parseVariant("2147483648", v));  // too big for a long: kept as a real
  EXPECT_EQ(v.type(), VarType::Float);
  for (const char* bad : {"", "abc", "1.2.3x", "\"open", "\"a\"b\"", "\"bad\\q\"", "\"\\\"", "-", "1e", "nan"})
    EXPECT_FALSE(parseVariant(bad, v)) << bad;
}

// A host (a toolkit) may set LC_NUMERIC from the user's comma-decimal locale;
// scripts and property texts still mean and show the same numbers.
TEST(Variant, NumbersKeepTheirPointUnderACommaDecimalLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "locale de_DE.UTF-8 missing (scripts/install-deps.sh makes it)";
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 1.5);
  EXPECT_STREQ(comma, "1,5") << "the locale really writes a comma";
  Variant v;
  EXPECT_TRUE(parseVariant("1.5", v));
  EXPECT_EQ(v, Variant::fromFloat(1.5f));
  EXPECT_FALSE(parseVariant("1,5", v));
  EXPECT_EQ(formatVariant(Variant::fromFloat(-0.25f)), "-0.25");
  Variant out;
  EXPECT_EQ(Variant::fromString("2.5").coerceTo(VarType::Float, out), S_OK);
  EXPECT_EQ(out, Variant::fromFloat(2.5f));
  EXPECT_EQ(Variant::fromFloat(0.1f).coerceTo(VarType::String, out), S_OK);
  EXPECT_EQ(out, Variant::fromString("0.1"));
  std::setlocale(LC_ALL, before.c_str());
}

}  // namespace
}  // namespace orlim
