#pragma once

#include "query/serviceoutcome.h"

#include <QString>

struct QueryRecord;

// How each service's answer is read into the record, in each edition (see services.h).
namespace Readings {

ServiceOutcome describedVisitors(const QString &text, QueryRecord &record);
ServiceOutcome describedPortrait(const QString &text, QueryRecord &record);
ServiceOutcome describedMoods(const QString &text, QueryRecord &record);
ServiceOutcome describedBlog(const QString &text, QueryRecord &record);
ServiceOutcome describedMusic(const QString &text, QueryRecord &record);
ServiceOutcome describedFlowerVine(const QString &text, QueryRecord &record);

// data.modvisitcount[0].todaycount and .totalcount
ServiceOutcome currentVisitors(const QString &text, QueryRecord &record);
// The array under the number: element 1 the points, element 6 the nickname; "{}" is no account.
ServiceOutcome currentPortrait(const QString &text, QueryRecord &record);
// total, else usrinfo.msgnum
ServiceOutcome currentMoods(const QString &text, QueryRecord &record);
// data.totalNum
ServiceOutcome currentBlog(const QString &text, QueryRecord &record);
// xmusicnum when the answer has it, else as described
ServiceOutcome currentMusic(const QString &text, QueryRecord &record);

// Whether `text` is the services' firewall page, which sends a browser to its block notice.
bool isFirewallPage(const QString &text);

} // namespace Readings
