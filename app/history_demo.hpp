#pragma once
// The demo's listing of the scan history kept in its data folder.

// Prints the history newest first, one line per record; an error line and no records
// when the store cannot be used.
void printHistory();
