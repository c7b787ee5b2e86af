#pragma once
#include "search/searchengine.h"

// The search written literally as its steps read: every line fetched through
// GetDictionaryValue, candidates found by a linear scan. The benchmark's
// baseline.
SearchResult literalSearch(const QStringList &letters);
