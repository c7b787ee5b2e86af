#pragma once
class DictionaryStore;
class WordList;

// make_ms, check_ms, the 1,000-puzzle round trip and tolvo-solve --make
// --count 100; nothing without tolvo.grades.
void printAuthoringFigures(const DictionaryStore &dictionary, const WordList &words);
