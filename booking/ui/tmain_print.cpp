// Printing the month's journal.

#include "tmain.h"

void TMain::btnDruckenClick() {}

void TMain::PrintJournal() {}
