// Small services of the updater: the database connection string, and modal
// message boxes with Chinese captions and buttons.
#pragma once

#include <string>

namespace pelgrane {

// Composes the connection string for the product database, in one of three
// forms: integrated security; user and password; user without password.
// A value holding ";" or "=", or starting or ending with a blank or a quote,
// is put in double quotes (inner double quotes doubled), so that it cannot
// change the meaning of the string; other values stand as they are.
void BuildConnectionString(const std::string& Server, const std::string& Database, const std::string& User,
                           std::u16string& Result, bool Integrated, const std::string& Password);

// The quoting rule above, for one value.
std::string QuoteConnectionValue(const std::string& Value);

}  // namespace pelgrane
