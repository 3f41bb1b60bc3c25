#pragma once

// The numbers the instances of a cluster share networks by. Tests shorten
// the times.
struct ClusterSettings
{
    // A lease lasts this long unless renewed, and is renewed this often: a
    // dead holder's networks are free again within the lease time, so the
    // next lookup after it takes them within lease time and one lookup.
    int leaseMs = 10'000;
    int renewMs = 3'000;
    // A shared answer is kept near, without a round trip, this long (at most
    // the cache time).
    int nearMs = 5'000;
    // While lookups wait for a holder, its lease is tried this often: once a
    // dead holder's lease runs out, this instance takes the network and asks
    // for them within their bound.
    int reclaimMs = 500;
    // Lookups handed over and waiting for their holder's answer, at most;
    // beyond, they are answered busy.
    int maxHandedOver = 10'000;
    // Networks whose holder elsewhere is remembered for the status page.
    int maxKnownHolders = 256;
};
