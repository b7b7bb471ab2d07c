#pragma once

#include "query/serviceoutcome.h"

#include <span>

#include <QString>

struct FetchResult;
struct QueryRecord;

// The two ways the services are asked. Described: as they were built, over plain http, each
// value cut out of the answer's text by its marker. Current: as today's QZone front end asks
// them for a signed-in user, over https, each value read from the JSON inside the answer.
enum class Edition { Described, Current };

// What a current address needs besides the number.
struct AddressContext
{
    QString qq;
    QString self; // the signed-in user's own number
    int year = 0; // the current year
};

// Reads one answer's text into the record (the service's values) and says how it went. A
// current reading is only given answers that came whole, with a success status.
using Reading = ServiceOutcome (*)(const QString &text, QueryRecord &record);

// Everything the program knows of one service.
struct ServiceRow
{
    Service service;
    const char *name; // in messages and data
    // Described edition: asked as GetBody (UTF-8 when no charset is declared), else as OpenURL
    // (GBK when none is declared).
    bool describedAsGetBody;
    // "no permission" from this service is a space open to friends only, itself a finding.
    bool friendsOnlyIsAFinding;
    QString QueryRecord::*answerText; // where the record keeps the answer
    QString (*describedAddress)(const QString &qq);
    QString (*currentAddress)(const AddressContext &context); // without g_tk
    Reading describedReading;
    Reading currentReading;
};

// One row per service, in the order of Service.
std::span<const ServiceRow> serviceTable();
const ServiceRow &serviceRow(Service service);

// The service's name: "visitors", "portrait", "moods", "blog", "music", "flower_vine".
QString serviceName(Service service);

// Reads `fetch`, the answer of `service` in `edition`, into `record`: the answer, the values
// the edition finds in it and its outcome, which is returned too. A described answer has its
// values cut whatever its status, as they always were; a current one has values only when it
// answered.
ServiceOutcome readAnswer(Service service, Edition edition, const FetchResult &fetch,
                          QueryRecord &record);
