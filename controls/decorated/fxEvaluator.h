// TfxEvaluator: the integer value of a short expression such as a point of
// a button's shape ("99-1", "12*3+2*3"). The evaluation works on the text:
// operators are tokens between blanks, and each operation done is replaced
// by its result until only a number is left. Multiplication and division
// come first, then addition and subtraction, each from left to right; the
// arithmetic is 32-bit (the low 32 bits of the exact result). There are no
// parentheses and no leading minus.
#pragma once

#include <string>

#include "classes/Classes.h"

namespace menvaro {

class TfxEvaluator : public TObject {
    MENVARO_CLASS(TfxEvaluator, TObject)
public:
    // Operator indices, in their fixed order, and the two sets of them.
    enum : int { opMultiply, opDivide, opAdd, opSubtract };
    static constexpr unsigned MultiplicativeSet = 1u << opMultiply | 1u << opDivide;
    static constexpr unsigned AdditiveSet = 1u << opAdd | 1u << opSubtract;
    static constexpr char Operators[] = "*/+-";

    // Raises EInvalidOperation for a character outside blanks, "*", "+",
    // ",", "-", "/" and digits, and for a division by zero; EConvertError
    // for an operand or result that is no integer.
    static int Evaluate(const std::string& expression);

    static void CheckCharacters(const std::string& expression);
    // Blanks around every operator, then no two blanks in a row.
    static void SpaceOperators(std::string& expression);
    // The leftmost operator of the set among the blank-separated tokens,
    // with the tokens before and after it; false when there is none.
    static bool FindOperator(const std::string& expression, unsigned set, int& operatorIndex, std::string& left,
                             std::string& right);
};

}  // namespace menvaro
