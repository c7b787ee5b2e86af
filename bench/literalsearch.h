#pragma once
#include "search/searchengine.h"

class DictionaryStore;

// The search written literally as its steps read: every line fetched through
// the keyed accessor, candidates found by a linear scan. The benchmark's
// baseline.
SearchResult literalSearch(const DictionaryStore &dictionary, const QStringList &letters);
