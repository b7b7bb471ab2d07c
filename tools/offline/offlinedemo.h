#pragma once

// The offline trial as a whole, for code that drives all of it (the trial's own test): its
// accounts, their painted portraits and the server that answers for them. The program itself
// includes only the server.
#include "accounts.h"
#include "offlineserver.h"
#include "portraits.h"
