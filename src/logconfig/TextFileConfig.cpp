#include "logconfig/TextFileConfig.h"

// Settings read with the appender on take effect at once, as its first line would do it.
void TTextFileConfig::CheckAfterReading() {
    if (!FFile.Active())
        return;
    FFile.DoCheckOutputDir();
    FFile.CleanFiles();
}

void TTextFileConfig::SetHeader(THeader item, bool on) {
    THeaders headers = FFile.Headers();
    if (on)
        headers.Include(item);
    else
        headers.Exclude(item);
    FFile.SetHeaders(headers);
}
