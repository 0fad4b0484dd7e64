// SPDX-License-Identifier: MIT
#pragma once

#include "images/ImageSlot.h"
#include "pass/PassOutcome.h"
#include "programmer/ProgrammerOutcomes.h"
