#pragma once

#include <QString>

// The product's own web addresses: the forum and the maker's fan-site. They are opened in the
// user's browser or quoted in a report, never asked for data.
namespace SiteLinks {

QString forumHome();
QString forumVineThread();
QString forumUpdates();
QString fanSite();

} // namespace SiteLinks
