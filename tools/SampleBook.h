#pragma once
// Sample contents for demos and benchmarks: masters and journal rows over ten years.

#include <QString>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace sample {

// Fills the open database (the program's tables, empty journal and masters) with masters and
// `rows` journal rows spread over ten years. Purse rows get monthly pages and running balances
// that agree with the balance rules; bank balances agree with the journal.
bool fillSample(db::Book& book, app::Program p, int rows, QString* error);

}  // namespace sample
