#include "LanguageAssist.h"

void LanguageAssist::ShowListBox(bool) {}
void LanguageAssist::hideList() {}
bool LanguageAssist::listVisible() const { return false; }
void LanguageAssist::showTip(bool) {}
void LanguageAssist::hideTip() {}
bool LanguageAssist::tipVisible() const { return false; }
