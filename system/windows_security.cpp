#include "system/windows_security.h"

#include <windows.h>
// after windows.h
#include <sddl.h>

namespace pathshrink {
namespace {

// NT SERVICE\TrustedInstaller, which owns the system's own folders.
constexpr wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1850803645-3209483936";

// Whether `sid` is one of the accounts the machine's Path may trust:
// Administrators, SYSTEM, TrustedInstaller.
bool Trusted(PSID sid) {
  if (::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
      ::IsWellKnownSid(sid, WinLocalSystemSid)) {
    return true;
  }
  PSID installer = nullptr;
  if (!::ConvertStringSidToSidW(kTrustedInstaller, &installer)) return false;
  const bool same = ::EqualSid(sid, installer) != FALSE;
  ::LocalFree(installer);
  return same;
}

void Grant(OrdinaryUserRights& rights, ACCESS_MASK mask) {
  // GENERIC_WRITE is taken as everything, as GENERIC_ALL: the answer errs
  // towards "users can".
  const bool all = (mask & (GENERIC_ALL | GENERIC_WRITE)) != 0;
  rights.addFiles = rights.addFiles || all || (mask & FILE_ADD_FILE) != 0;
  rights.addFolders = rights.addFolders || all || (mask & FILE_ADD_SUBDIRECTORY) != 0;
  rights.deleteChildren = rights.deleteChildren || all || (mask & FILE_DELETE_CHILD) != 0;
  rights.replaceItself =
      rights.replaceItself || all || (mask & (DELETE | WRITE_DAC | WRITE_OWNER)) != 0;
}

}  // namespace

OrdinaryUserRights RightsInSecurityDescriptor(const void* descriptor) {
  OrdinaryUserRights rights;
  auto* const sd = const_cast<PSECURITY_DESCRIPTOR>(descriptor);
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (sd == nullptr || !::GetSecurityDescriptorOwner(sd, &owner, &ownerDefaulted) ||
      !::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted)) {
    return rights;
  }
  rights.known = true;
  // An owner may always change who may do what: one that is an ordinary
  // user can give itself the rest. Where the owner is not told, it counts
  // as one.
  if (owner == nullptr || !Trusted(owner)) rights.replaceItself = true;
  if (!present || dacl == nullptr) {
    // No DACL at all: everyone may do everything.
    rights.addFiles = rights.addFolders = rights.deleteChildren = rights.replaceItself = true;
    return rights;
  }
  ACL_SIZE_INFORMATION size{};
  if (::GetAclInformation(dacl, &size, sizeof size, AclSizeInformation) == FALSE) return rights;
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* entry = nullptr;
    if (::GetAce(dacl, i, &entry) == FALSE) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // What is granted and applies to this object, not only to what will be
    // made in it. A conditional (callback) entry counts as granted: its
    // condition may hold.
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    ACCESS_MASK mask = 0;
    PSID sid = nullptr;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
      const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
      mask = allowed->Mask;
      sid = const_cast<DWORD*>(&allowed->SidStart);
    } else if (header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE) {
      const auto* allowed = static_cast<const ACCESS_ALLOWED_CALLBACK_ACE*>(entry);
      mask = allowed->Mask;
      sid = const_cast<DWORD*>(&allowed->SidStart);
    } else {
      continue;
    }
    // CREATOR OWNER stands for the owner of what is made inside, weighed
    // there; on the object itself it grants nothing.
    if (Trusted(sid) || ::IsWellKnownSid(sid, WinCreatorOwnerSid)) continue;
    Grant(rights, mask);
  }
  return rights;
}

}  // namespace pathshrink
