#pragma once
// Requirement and purchase-order numbers: the counters of GlobalParamList say
// where numbering goes on, the records say which numbers are taken.
#include <QString>

// Numbers are written as "REQ%0.4i" and "P%0.4i": none past this one.
constexpr long long kLargestRecordNumber = 2147483647;

// The highest number the records of the counter (ParamLastRequirement:
// ReqmList.Order_nBr "REQ0012"; ParamLastPurchaseOrder: PurcList.PO_nBr
// "P0005") carry; 0 when none does; -1 when the read failed.
long long HighestNumberInUse(int counter);

// Where numbering goes on: the larger of the counter and the highest number
// in use, so that a counter set back (or a record written by hand) never
// hands out a number twice. -1 when a read failed (LastErrorText() says why).
// Read inside the transaction that writes the new records.
long long NumberingBase(int counter);

// The message for numbers that would run past kLargestRecordNumber.
QString NumbersExhaustedMessage(int counter);
