// Discora: a CDDB client library. It knows a list of CDDB servers ("sites"), talks to one of them
// over cddbp or HTTP (optionally through a proxy), queries discs by their table of contents, reads
// and parses xmcd disc records and submits new or corrected records.
//
// The field order of the five classes is part of the library's binary interface: the trivial
// accessors are inline and read the fields directly. Every text is a NUL-terminated UTF-8 string
// owned by the object that holds it; a null pointer means "not set". Operations return 1 for
// success and 0 for failure unless stated otherwise. Nothing throws, prints or logs.
#pragma once

#include <cstdint>

#define DISCORA_EXPORT __attribute__((visibility("default")))

// The largest track number of an audio CD: a disc has exactly this many track slots.
#define DISCORA_MAX_TRACKS 99

class CDiscora;
struct CDiscoraInternals;

// One track of a disc.
class DISCORA_EXPORT CDiscoraTrack {
  public:
    CDiscoraTrack();
    CDiscoraTrack(const CDiscoraTrack& Other);
    ~CDiscoraTrack();
    void operator=(const CDiscoraTrack& Other);

    uint32_t GetFrameOffset() const { return m_dwFrameOffset; }
    const char* GetArtist() const { return m_pszArtist; }
    const char* GetTitle() const { return m_pszTitle; }
    const char* GetExtended() const { return m_pszExtended; }

    // A null argument clears the field; 0 only when the copy cannot be allocated.
    int SetArtist(const char* pszArtist);
    int SetTitle(const char* pszTitle);
    int SetExtended(const char* pszExtended);

  private:
    friend class CDiscoraDisc;
    friend struct CDiscoraInternals;

    uint32_t m_dwFrameOffset;  // absolute start frame (75 frames a second, lead-in included)
    char* m_pszArtist;         // null when the track has no artist of its own
    char* m_pszTitle;
    char* m_pszExtended;  // extended track data, line breaks stored as CR LF
};

// One disc record.
class DISCORA_EXPORT CDiscoraDisc {
  public:
    CDiscoraDisc();
    CDiscoraDisc(const CDiscoraDisc& Other);
    ~CDiscoraDisc();
    void operator=(const CDiscoraDisc& Other);

    // Releases every text and track and returns to the constructor's state.
    void Clear();

    int GetDiscLength() const { return m_nDiscLength; }
    const char* GetCategory() const { return m_pszCategory; }
    const char* GetArtist() const { return m_pszArtist; }
    const char* GetTitle() const { return m_pszTitle; }
    int GetRevision() const { return m_nRevision; }
    uint32_t GetDiscID() const { return m_dwDiscID; }
    const char* GetYear() const { return m_pszYear; }
    const char* GetGenre() const { return m_pszGenre; }
    const char* GetExtended() const { return m_pszExtended; }
    const char* GetPlayOrder() const { return m_pszPlayOrder; }
    int GetTrackCount() const { return m_nTrackCount; }

    int SetCategory(const char* pszCategory);
    int SetArtist(const char* pszArtist);
    int SetTitle(const char* pszTitle);
    int SetYear(const char* pszYear);
    int SetGenre(const char* pszGenre);
    int SetExtended(const char* pszExtended);

    // nTrackNum counts from 1. GetTrack copies the stored track into Track; SetTrack copies Track
    // into the stored track but keeps the stored frame offset. Tracks are never added here.
    int GetTrack(int nTrackNum, CDiscoraTrack& Track) const;
    int SetTrack(int nTrackNum, const CDiscoraTrack& Track);

  private:
    friend class CDiscora;
    friend struct CDiscoraInternals;

    int m_nDiscLength;  // whole seconds: lead-out frame / 75
    char* m_pszCategory;
    char* m_pszArtist;
    char* m_pszTitle;
    int m_nRevision;  // -1 for a record that did not come from a server
    uint32_t m_dwDiscID;
    char* m_pszYear;
    char* m_pszGenre;
    char* m_pszExtended;  // line breaks stored as CR LF
    char* m_pszPlayOrder;
    int m_nTrackCount;
    CDiscoraTrack* m_pTracks[DISCORA_MAX_TRACKS];  // slot i holds track i + 1
};

// One match of a query.
struct DiscoraMatch {
    char* m_pszGenre;  // the category under which the server files the match
    uint32_t m_dwDiscID;
    char* m_pszDiscName;  // artist and title as the server sent them
};

// The matches of one query.
class DISCORA_EXPORT CDiscoraQueryResult {
  public:
    CDiscoraQueryResult();
    CDiscoraQueryResult(const CDiscoraQueryResult& Other);
    ~CDiscoraQueryResult();
    void operator=(const CDiscoraQueryResult& Other);

    uint16_t GetMatchCount() const { return m_nResultCount; }
    int MatchFound() const { return m_nResultCount > 0 ? 1 : 0; }
    // 1 for a single match, exact or not.
    int IsExactMatch() const { return m_nResultCount == 1 ? 1 : 0; }

    // nResultNum counts from 0; out of range gives null, respectively 0.
    const char* GetDiscGenre(int nResultNum) const;
    const char* GetDiscName(int nResultNum) const;
    uint32_t GetDiscID(int nResultNum) const;

  private:
    friend class CDiscora;
    friend struct CDiscoraInternals;

    uint16_t m_nResultCount;
    DiscoraMatch* m_pResults;
};

// One CDDB server entry, parsed from a site line
// "host protocol port address latitude longitude description".
class DISCORA_EXPORT CDiscoraSite {
  public:
    CDiscoraSite();
    CDiscoraSite(const CDiscoraSite& Other);
    ~CDiscoraSite();
    void operator=(const CDiscoraSite& Other);

    const char* GetHost() const { return m_pszHost; }
    const char* GetProtocol() const { return m_pszProtocol; }
    uint16_t GetPort() const { return m_nPort; }
    const char* GetAddress() const { return m_pszAddress; }
    const char* GetSubmitAddress() const { return m_pszSubmitAddress; }
    const char* GetLatitude() const { return m_pszLatitude; }
    const char* GetLongitude() const { return m_pszLongitude; }
    const char* GetDescription() const { return m_pszDescription; }
    const char* GetDisplayText() const { return m_pszDisplayText; }

  private:
    friend class CDiscora;
    friend struct CDiscoraInternals;

    char* m_pszHost;
    char* m_pszProtocol;  // "cddbp" or "http", compared without regard to case
    uint16_t m_nPort;
    char* m_pszAddress;        // path of the CDDB program on an http site; "-" on cddbp sites
    char* m_pszSubmitAddress;  // the address up to its last "/", then "submit.cgi"
    char* m_pszLatitude;
    char* m_pszLongitude;
    char* m_pszDescription;
    char* m_pszDisplayText;  // "description (hostaddress)"
};

// The CDDB client. Calling order: construct; AddSite; SetProxy when a proxy is configured; then
// for each piece of work Connect(0), any of QueryDisc / ReadDisc / ReadCategoryList / SubmitDisc,
// and Disconnect. InitSubmitDisc needs no connection. One object per thread.
class DISCORA_EXPORT CDiscora {
  public:
    // Both texts are required; they go into the hello texts and the "Submitted via" line.
    CDiscora(const char* pszAppName, const char* pszAppVersion);
    ~CDiscora();
    CDiscora(const CDiscora&) = delete;
    CDiscora& operator=(const CDiscora&) = delete;

    // Index of the site with the line's host (existing or new), or -1 when the list cannot grow.
    int AddSite(const char* pszSiteLine);
    // Replaces the site list with the active server's list.
    int ReadSiteList();
    uint16_t GetSiteCount() const { return m_nSiteCount; }
    const char* GetSiteDescription(int nSiteNum) const;
    const CDiscoraSite* GetSite(int nSiteNum) const;

    // An empty host removes the proxy; an empty user name sends no authorization.
    int SetProxy(const char* pszHost, uint16_t nPort, const char* pszUser, const char* pszPassword);

    // CDDB protocol level: 6 (UTF-8, the default) or 5 (ISO-8859-1, converted to and from UTF-8).
    int SetProtocolLevel(int nLevel);
    int GetProtocolLevel() const { return m_nProtocolLevel; }

    int Connect(int nSiteNum);
    void Disconnect();

    int ReadCategoryList();
    uint16_t GetCategoryCount() const { return m_nCategoryCount; }
    const char* GetCategory(int nIndex) const;

    // pOffsets holds nTrackCount track start frames followed by the lead-out frame.
    int QueryDisc(int nTrackCount, const uint32_t* pOffsets, CDiscoraQueryResult& Result);
    int ReadDisc(CDiscoraQueryResult& Result, CDiscoraDisc& Disc, int nResultNum);
    int InitSubmitDisc(int nTrackCount, const uint32_t* pOffsets, CDiscoraDisc& Disc);
    // Sends Disc to the active http site's submit program; 1 when the server answers 200.
    int SubmitDisc(CDiscoraDisc& Disc, const char* pszUserEmail, const char* pszSubmitMode);

    // Why the last Connect, ReadSiteList, ReadCategoryList, QueryDisc, ReadDisc or SubmitDisc of
    // this object on this thread failed, in English: the resolver's or the system's reason
    // ("cannot connect to HOST port N: Connection refused"), a time-out, or the server's status
    // line. Meaningful after a failure only; never null. Valid until the object's next
    // operation.
    const char* GetLastError() const;

    // The CDDB disc identifier of a table of contents (as QueryDisc sends it).
    static uint32_t ComputeDiscID(int nTrackCount, const uint32_t* pOffsets);

    // The response parsers, usable on saved server answers. A record text is a "cddb read" answer:
    // the "210 category discid" status line, the xmcd lines and the terminating "." line.
    static int ParseDiscRecord(const char* pszText, CDiscoraDisc& Disc);
    static int ParseQueryResponse(const char* pszText, CDiscoraQueryResult& Result);
    int ParseCategoryList(const char* pszText);
    int ParseSiteList(const char* pszText);

  private:
    friend struct CDiscoraInternals;

    int m_hSocket;  // -1 when no connection is open
    char* m_pszAppName;
    char* m_pszAppVersion;
    char* m_pszHelloCommand;  // "cddb hello user host app version"
    char* m_pszHelloParam;    // "hello=user+host+app+version"
    uint16_t m_nCategoryCount;
    char** m_ppszCategories;
    uint16_t m_nActiveSite;  // 0xFFFF: none
    uint16_t m_nSiteCount;
    CDiscoraSite** m_ppSites;
    char* m_pszProxyHost;  // null: no proxy
    uint16_t m_nProxyPort;
    char* m_pszProxyAuth;       // base64 of "user:password"; null: no authorization
    uint16_t m_nProtocolLevel;  // level asked for
    uint16_t m_nServerLevel;    // level in effect with the active server
};
