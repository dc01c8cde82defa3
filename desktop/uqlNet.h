// Internet addresses: the test whether a text is one, and the fetch of an
// address's body.
#pragma once

#include <cstdint>
#include <string>

class QUrl;
class QWidget;

// True when Text contains "://" anywhere.
bool IsURL(const std::string& Text);

// Whether a redirect from From to To may be followed: to http or https
// only, and never from https down to http.
bool RedirectAllowed(const QUrl& From, const QUrl& To);

// Limits of one fetch; the defaults are the program's.
struct THttpGetLimits {
    int TimeoutMs = 30000;                       // no progress for this long fails
    int DeadlineMs = 5 * 60 * 1000;              // the whole fetch takes at most this long
    std::int64_t MaxBytes = 16 * 1024 * 1024;    // larger bodies fail
    int MaxRedirects = 5;
    QWidget* ProgressParent = nullptr;           // a progress dialog with Cancel
};

// One GET of Address (followed by "?" and Query when Query is not empty);
// Body receives the bytes of the answer. Only http and https are fetched,
// a non-2xx status is an error, redirects are followed up to the limit but
// never from https to http; a relative redirect is resolved against the
// request's address. Any network error fails the fetch with its text, and
// so does the deadline. Raises Exception with the reason on failure.
void HttpGetText(const std::string& Address, const std::string& Query, std::string& Body,
                 const THttpGetLimits& Limits = {});
