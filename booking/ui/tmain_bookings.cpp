// Generating bookings and handing them to the time-recording system.

#include "tmain.h"

void TMain::btnBuchungenErzeugenClick() {}

void TMain::GenerateBookings() {}

void TMain::btnExportClick() {}

void TMain::exportierennach1Click() {}
