#pragma once

#include <curl/curl.h>

// libcurl's multi interface driven by the Qt event loop of the calling thread: one multi handle
// per thread, so transfers started one after another on that thread share its connection cache.
// libcurl forbids removing or freeing a transfer inside its own callbacks; so everything a
// transfer reports reaches its listener only after curl_multi_socket_action has returned, where
// the listener may remove, free or start any transfer.

class CurlTransferListener
{
public:
    // Body or header bytes arrived during the last socket action (after NoteCurlTransferActivity).
    virtual void curlTransferActive() = 0;
    // The transfer ended; it is still added and the listener removes it.
    virtual void curlTransferDone(CURLcode result) = 0;

protected:
    ~CurlTransferListener() = default;
};

// Adds `easy` to this thread's multi handle; `listener` hears about it until RemoveCurlTransfer.
// The easy handle's CURLOPT_PRIVATE belongs to this layer.
CURLMcode AddCurlTransfer(CURL *easy, CurlTransferListener *listener);
void RemoveCurlTransfer(CURL *easy);
// Called from inside a libcurl data callback: the listener hears curlTransferActive once the
// current socket action is over.
void NoteCurlTransferActivity(CURL *easy);
