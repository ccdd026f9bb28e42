#pragma once

// The whole instrument command set.
#include "scpi/AcquisitionCommands.h"
#include "scpi/MathCommands.h"
#include "scpi/MeasurementNullCommands.h"
#include "scpi/MeasurementRangeCommands.h"
#include "scpi/MeasurementSettingCommands.h"
#include "scpi/TemperatureCommands.h"
#include "scpi/TrendHistogramCommands.h"
