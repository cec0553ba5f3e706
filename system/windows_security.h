#pragma once

#include "system/file_system_queries.h"

namespace pathshrink {

// What users other than administrators, SYSTEM and TrustedInstaller may do
// to an object with the security descriptor `descriptor` (a
// SECURITY_DESCRIPTOR, self-relative or not, that holds the owner and the
// DACL): every entry that allows them something and applies to the object
// itself counts, whoever it names (a group, a single user, a conditional
// entry), and an owner outside those three may always give itself more.
// Deny entries are not weighed: the answer errs towards "users can".
OrdinaryUserRights RightsInSecurityDescriptor(const void* descriptor);

}  // namespace pathshrink
