#include "decorated/fxEvaluator.h"

#include <cstdint>

#include "base/Exceptions.h"
#include "base/NumberText.h"
#include "classes/ClassBuilder.h"
#include "decorated/fxCommon.h"

namespace menvaro {

MENVARO_CLASS_INFO(TfxEvaluator) {}

void TfxEvaluator::CheckCharacters(const std::string& expression) {
    for (char c : expression) {
        if (c == ' ' || c == '*' || c == '+' || c == ',' || c == '-' || c == '/' || (c >= '0' && c <= '9')) continue;
        throw EInvalidOperation("Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
    }
}

void TfxEvaluator::SpaceOperators(std::string& expression) {
    for (int i = 0; i < 4; ++i) {
        const std::string op(1, Operators[i]);
        expression = fxReplaceAll(expression, op, " " + op + " ");
    }
    while (expression.find("  ") != std::string::npos) expression = fxReplaceAll(expression, "  ", " ");
}

bool TfxEvaluator::FindOperator(const std::string& expression, unsigned set, int& operatorIndex, std::string& left,
                                std::string& right) {
    int best = -1, at = -1;
    for (int i = 0; i < 4; ++i) {
        if (!(set & (1u << i))) continue;
        const int index = fxTokenIndex(expression, " ", std::string(1, Operators[i]));
        if (index >= 0 && (at < 0 || index < at)) best = i, at = index;
    }
    if (best < 0) return false;
    left = fxGetToken(expression, " ", at - 1);
    right = fxGetToken(expression, " ", at + 1);
    operatorIndex = best;
    return true;
}

int TfxEvaluator::Evaluate(const std::string& expression) {
    CheckCharacters(expression);
    std::string text = expression;
    SpaceOperators(text);
    int op;
    std::string left, right;
    while (FindOperator(text, MultiplicativeSet, op, left, right) || FindOperator(text, AdditiveSet, op, left, right)) {
        const std::int64_t l = StrToInt(left), r = StrToInt(right);
        std::int64_t result = 0;
        switch (op) {
            case opMultiply: result = l * r; break;
            case opDivide:
                if (r == 0) throw EInvalidOperation("Divide By Zero Error");
                result = l / r;
                break;
            case opAdd: result = l + r; break;
            default: result = l - r; break;
        }
        // The three tokens give way to the result where they stand, the
        // blanks around them kept.
        const int at = fxTokenIndex(text, " ", std::string(1, Operators[op]));
        const int from = at - 1 == 0 ? 1 : fxNthPos(" ", text, at - 2) + 1;
        const int to = fxNthPos(" ", text, at + 1);
        text = fxSubString(text, 1, from) + IntToStr(fxWrap32(result)) + (to == 0 ? "" : fxSubString(text, to, 0));
    }
    return StrToInt(text);
}

}  // namespace menvaro
