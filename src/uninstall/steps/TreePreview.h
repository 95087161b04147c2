#pragma once
#include <string>

class TUninstallEngine;

// What DeleteDirectory would do with the folder tree Path, reported through the engine and
// changing nothing: the files and folders it would delete (counted, with their size), the
// folders Exclude keeps, the links it would remove alone or leave in place, and the entries it
// could not open. Walks as the deletion does, each entry opened without following links and
// judged on that handle, but without the right to delete.
void PreviewDirectory(TUninstallEngine& Engine, const std::wstring& Path,
                      const std::wstring& Exclude);
