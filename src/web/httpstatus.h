#pragma once

#include <algorithm>
#include <iterator>

// The HTTP status codes the program tells apart.
namespace HttpStatus {

inline constexpr int firstFinal = 200; // below it only informational answers, no answer yet
inline constexpr int lastSuccess = 299;
inline constexpr int tooManyRequests = 429;
// Moved, found, see other, temporary and permanent redirect: the ones followed.
inline constexpr int redirects[] = {301, 302, 303, 307, 308};

inline bool isSuccess(int status)
{
    return status >= firstFinal && status <= lastSuccess;
}

inline bool isRedirect(int status)
{
    return std::find(std::begin(redirects), std::end(redirects), status) != std::end(redirects);
}

} // namespace HttpStatus
