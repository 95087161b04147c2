#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/shared/Misc.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptNumber.h"

namespace {

// Used for a Delay that is not an integer.
constexpr uint32_t InvalidDelay = 200;

} // namespace

void TUninstallEngine::LoadXml() {
    GetLogger().Write(this, L"LoadXml()", ttInformation);
    try {
        std::wstring text = TMisc::GetResource(L"UNINSTALL", L"XML", FScriptModule);
        FXml.reset();
        FXml = TXmlDocument::Parse(text);
        TXmlNode root = FXml->DocumentElement();
        if (root.NodeName() != L"NorvaUninstall")
            throw Exception(L"Invalid Root name, expecting \"NorvaUninstall\".");
        if (root.Attribute(L"Version") != L"1.0")
            throw Exception(L"Invalid version, expecting \"1.0\".");
        ReadDelay(root);
    } catch (const std::exception& e) {
        throw Exception(Format(L"LoadXml failed (%s)", {ExceptionMessage(e)}));
    }
}

void TUninstallEngine::ReadDelay(const TXmlNode& Root) {
    auto text = Root.Attribute(L"Delay");
    if (!text)
        return;
    auto value = ScriptInteger(*text);
    if (!value) {
        FDelay = InvalidDelay;
    } else if (*value < 0) {
        // A negative pause would be read as an endless one.
        GetLogger().Write(this, L"  Negative Delay %d ignored, no pause", {*value}, ttInformation);
        FDelay = 0;
    } else {
        FDelay = static_cast<uint32_t>(*value);
    }
}
