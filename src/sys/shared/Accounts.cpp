#include "sys/shared/Accounts.h"

#include "core/Handle.h"

#include <sddl.h>

#include <vector>

namespace {

// What the token of this program says about itself: its account, or the owner it gives the
// objects it makes (an administrator's token gives them to the administrators).
std::vector<BYTE> TokenPart(TOKEN_INFORMATION_CLASS Part) {
    std::vector<BYTE> buffer;
    TKernelHandle token;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return buffer;
    GetTokenInformation(token.Get(), Part, nullptr, 0, &size);
    buffer.resize(size);
    if (size == 0 || !GetTokenInformation(token.Get(), Part, buffer.data(), size, &size))
        buffer.clear();
    return buffer;
}

// The account this program runs as, an administrator, and the owner of what it makes: their
// own files and objects are no other user's.
bool IsOwnAccount(PSID Sid) {
    static const std::vector<BYTE> user = TokenPart(TokenUser);
    static const std::vector<BYTE> owner = TokenPart(TokenOwner);
    return (!user.empty() &&
            EqualSid(Sid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)) ||
           (!owner.empty() &&
            EqualSid(Sid, reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner));
}

// The installer service, NT SERVICE\TrustedInstaller.
bool IsTrustedInstaller(PSID Sid) {
    static const TLocalMemory installer = [] {
        PSID sid = nullptr;
        ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                               &sid);
        return TLocalMemory(sid);
    }();
    return installer && EqualSid(Sid, installer.Get());
}

} // namespace

bool IsTrustedAccount(PSID Sid) {
    if (IsWellKnownSid(Sid, WinBuiltinAdministratorsSid) ||
        IsWellKnownSid(Sid, WinLocalSystemSid) || IsTrustedInstaller(Sid))
        return true;
    return IsOwnAccount(Sid);
}
