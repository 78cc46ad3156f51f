// The program's string and dialog texts in fourteen languages, compiled in.
// The language is chosen once at start-up; lookups are then read-only and may
// come from any thread.
#pragma once
#include <string>
#include <vector>

namespace nubo {

namespace texts {

// Catalog names in the order the program knows them; "en-US" is the fallback.
const std::vector<std::string>& Languages();

// Maps a locale name ("de_DE.UTF-8", "pt_PT", "nb_NO", "C") to a catalog name.
std::string LanguageForLocale(const std::string& locale);

// Chooses the catalog for the rest of the run; an unknown name selects English.
void SelectLanguage(const std::string& catalog);
const std::string& SelectedLanguage();

// String-table text by id; empty when the id does not exist.
std::string Text(int id);
// Text of a control of a dialog template; empty when there is none.
std::string DialogText(int templateId, int controlId);

// Direct access to one catalog, for the checks that compare languages.
std::string Text(const std::string& catalog, int id);
std::string DialogText(const std::string& catalog, int templateId, int controlId);
std::vector<int> TextIds(const std::string& catalog);
std::vector<std::pair<int, int>> DialogTextIds(const std::string& catalog);

// Parses one catalog's source; returns false and a message on a malformed line.
bool CheckCatalog(const std::string& catalog, std::string& error);

}  // namespace texts
}  // namespace nubo
