#pragma once
// Changing the good-thru date of the cards the operator inserts, one after another.
#include "operations/CardOperation.h"
#include "operations/OperationContext.h"

#include <QString>
#include <functional>

// Gives the card in the reader the good-thru date `newDate` ("yyyy/MM/dd") and reprints its
// face with `faceText` under the values; `onCardRead` is shown the card as read. On success
// the outcome's detail is the journal remark (old date, "-", new date).
CardOutcome ChangeGoodThru(const OperationContext& ctx, const QString& newDate, const QString& faceText,
                           const std::function<void(const CardImage&)>& onCardRead);
