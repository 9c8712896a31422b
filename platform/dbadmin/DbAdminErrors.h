// Errors of the database server objects.
#pragma once

#include <string>

#include "data/DBErrors.h"

namespace menvaro::dbadmin {

// The causes a caller may tell the user in words of its own; Other carries
// only the message.
enum class TDbAdminFailure { Other, NoSpace, NoPermission, InUse, Damaged, NotProductDatabase };
// The file a failure is about.
enum class TDbAdminFile { None, Database, BackupFile };

// A call of the server objects failed: connect, back up, restore. The message
// names the database or file and says why.
class EDbAdminError : public EDatabaseError {
public:
    explicit EDbAdminError(std::string message, TDbAdminFailure failure = TDbAdminFailure::Other,
                           TDbAdminFile file = TDbAdminFile::None)
        : EDatabaseError(std::move(message)), failure_(failure), file_(file) {}
    TDbAdminFailure Failure() const noexcept { return failure_; }
    TDbAdminFile File() const noexcept { return file_; }

private:
    TDbAdminFailure failure_;
    TDbAdminFile file_;
};

// The cause an errno value stands for: no space (ENOSPC, EDQUOT), no
// permission (EACCES, EPERM), else Other.
TDbAdminFailure FailureOfErrno(int err);

}  // namespace menvaro::dbadmin
