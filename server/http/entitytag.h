#pragma once

#include <QByteArray>

// The strong validator of a status answer's body, and the test of a
// conditional request against it, so that a browser or a proxy that holds
// the answer asks with If-None-Match and gets 304 Not Modified when it has
// not changed.
namespace EntityTag {

// A short hash of the body's bytes, quoted: "\"3f2a9c0d1e4b5a67\"".
QByteArray of(const QByteArray &body);

// Whether an If-None-Match value names the tag: "*", or a list of tags of
// which one is the same opaque tag, weak (W/) or strong alike (the weak
// comparison If-None-Match takes).
bool matches(const QByteArray &ifNoneMatch, const QByteArray &tag);

} // namespace EntityTag
