#include "rules/ExpressionError.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace velmix {

namespace {
// The faults a typed expression makes; the rarer ones are told by their place alone.
QString fault(int code)
{
    switch (code) {
    case PCRE2_ERROR_END_BACKSLASH: return QStringLiteral("\\ в конце выражения");
    case PCRE2_ERROR_UNKNOWN_ESCAPE:
    case PCRE2_ERROR_UNSUPPORTED_ESCAPE_SEQUENCE: return QStringLiteral("неизвестный знак после \\");
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER: return QStringLiteral("числа в {} не по порядку");
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG: return QStringLiteral("слишком большое число в {}");
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET: return QStringLiteral("нет закрывающей ] у набора знаков");
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE: return QStringLiteral("неверный диапазон в наборе знаков");
    case PCRE2_ERROR_QUANTIFIER_INVALID: return QStringLiteral("повторять нечего: *, + или ? стоит не после знака");
    case PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY: return QStringLiteral("неизвестная группа после (?");
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS: return QStringLiteral("нет закрывающей скобки )");
    case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS: return QStringLiteral("лишняя закрывающая скобка )");
    case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
    case PCRE2_ERROR_BAD_RELATIVE_REFERENCE: return QStringLiteral("ссылка на группу, которой нет");
    case PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH: return QStringLiteral("проверка назад должна быть постоянной длины");
    case PCRE2_ERROR_POSIX_CLASS_NOT_IN_CLASS:
    case PCRE2_ERROR_UNKNOWN_POSIX_CLASS: return QStringLiteral("неизвестный класс [: :]");
    case PCRE2_ERROR_UNKNOWN_UNICODE_PROPERTY:
    case PCRE2_ERROR_MALFORMED_UNICODE_PROPERTY: return QStringLiteral("неизвестное свойство в \\p{}");
    case PCRE2_ERROR_MISSING_NAME_TERMINATOR:
    case PCRE2_ERROR_INVALID_SUBPATTERN_NAME:
    case PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED: return QStringLiteral("неверное имя группы");
    case PCRE2_ERROR_DUPLICATE_SUBPATTERN_NAME: return QStringLiteral("две группы с одним именем");
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP: return QStringLiteral("выражение слишком сложное");
    default: return {};
    }
}
} // namespace

QString expressionError(int pcre2ErrorCode, qsizetype place)
{
    const QString where = QStringLiteral("Ошибка в выражении (знак %1)").arg(place);
    const QString what = fault(pcre2ErrorCode);
    return what.isEmpty() ? where : where + QStringLiteral(": ") + what;
}

} // namespace velmix
