// ACM driver side: the ACMDM_* messages and the structures a driver procedure
// receives (msacmdrv.h names and values).
#pragma once

#include "platform/MMDriver.h"
#include "platform/MSAcm.h"

#define ACMDM_USER (DRV_USER + 0x0000)
#define ACMDM_RESERVED_LOW (DRV_USER + 0x2000)
#define ACMDM_RESERVED_HIGH (DRV_USER + 0x2FFF)
#define ACMDM_BASE ACMDM_RESERVED_LOW

#define ACMDM_DRIVER_NOTIFY (ACMDM_BASE + 1)
#define ACMDM_DRIVER_DETAILS (ACMDM_BASE + 10)
#define ACMDM_DRIVER_ABOUT (ACMDM_BASE + 11)
#define ACMDM_HARDWARE_WAVE_CAPS_INPUT (ACMDM_BASE + 20)
#define ACMDM_HARDWARE_WAVE_CAPS_OUTPUT (ACMDM_BASE + 21)
#define ACMDM_FORMATTAG_DETAILS (ACMDM_BASE + 25)
#define ACMDM_FORMAT_DETAILS (ACMDM_BASE + 26)
#define ACMDM_FORMAT_SUGGEST (ACMDM_BASE + 27)
#define ACMDM_FILTERTAG_DETAILS (ACMDM_BASE + 50)
#define ACMDM_FILTER_DETAILS (ACMDM_BASE + 51)
#define ACMDM_STREAM_OPEN (ACMDM_BASE + 76)
#define ACMDM_STREAM_CLOSE (ACMDM_BASE + 77)
#define ACMDM_STREAM_SIZE (ACMDM_BASE + 78)
#define ACMDM_STREAM_CONVERT (ACMDM_BASE + 79)
#define ACMDM_STREAM_RESET (ACMDM_BASE + 80)
#define ACMDM_STREAM_PREPARE (ACMDM_BASE + 81)
#define ACMDM_STREAM_UNPREPARE (ACMDM_BASE + 82)
#define ACMDM_STREAM_UPDATE (ACMDM_BASE + 83)

// msacm32 hands drivers these structures naturally aligned; the stand-in packs them as msacm.h does.
#ifndef _WIN32
#pragma pack(push, 1)
#endif

typedef struct tACMDRVOPENDESCW {
  DWORD cbStruct;
  FOURCC fccType;
  FOURCC fccComp;
  DWORD dwVersion;
  DWORD dwFlags;
  DWORD dwError;
  LPCWSTR pszSectionName;
  LPCWSTR pszAliasName;
  DWORD dnDevNode;
} ACMDRVOPENDESCW, *PACMDRVOPENDESCW, *LPACMDRVOPENDESCW;

typedef struct tACMDRVSTREAMINSTANCE {
  DWORD cbStruct;
  LPWAVEFORMATEX pwfxSrc;
  LPWAVEFORMATEX pwfxDst;
  LPWAVEFILTER pwfltr;
  DWORD_PTR dwCallback;
  DWORD_PTR dwInstance;
  DWORD fdwOpen;
  DWORD fdwDriver;
  DWORD_PTR dwDriver;
  HACMSTREAM has;
} ACMDRVSTREAMINSTANCE, *PACMDRVSTREAMINSTANCE, *LPACMDRVSTREAMINSTANCE;

typedef struct tACMDRVSTREAMHEADER* LPACMDRVSTREAMHEADER;
typedef struct tACMDRVSTREAMHEADER {
  DWORD cbStruct;
  DWORD fdwStatus;
  DWORD_PTR dwUser;
  LPBYTE pbSrc;
  DWORD cbSrcLength;
  DWORD cbSrcLengthUsed;
  DWORD_PTR dwSrcUser;
  LPBYTE pbDst;
  DWORD cbDstLength;
  DWORD cbDstLengthUsed;
  DWORD_PTR dwDstUser;
  DWORD fdwConvert;
  LPACMDRVSTREAMHEADER padshNext;
  DWORD fdwDriver;
  DWORD_PTR dwDriver;
  // Kept by the manager between prepare and unprepare.
  DWORD fdwPrepared;
  DWORD_PTR dwPrepared;
  LPBYTE pbPreparedSrc;
  DWORD cbPreparedSrcLength;
  LPBYTE pbPreparedDst;
  DWORD cbPreparedDstLength;
} ACMDRVSTREAMHEADER, *PACMDRVSTREAMHEADER;

typedef struct tACMDRVSTREAMSIZE {
  DWORD cbStruct;
  DWORD fdwSize;
  DWORD cbSrcLength;
  DWORD cbDstLength;
} ACMDRVSTREAMSIZE, *PACMDRVSTREAMSIZE, *LPACMDRVSTREAMSIZE;

typedef struct tACMDRVFORMATSUGGEST {
  DWORD cbStruct;
  DWORD fdwSuggest;
  LPWAVEFORMATEX pwfxSrc;
  DWORD cbwfxSrc;
  LPWAVEFORMATEX pwfxDst;
  DWORD cbwfxDst;
} ACMDRVFORMATSUGGEST, *PACMDRVFORMATSUGGEST, *LPACMDRVFORMATSUGGEST;

#ifndef _WIN32
#pragma pack(pop)

// The manager hands the application's header to the driver as the driver form.
static_assert(sizeof(ACMDRVSTREAMHEADER) == sizeof(ACMSTREAMHEADER),
              "the driver header overlays the application header");
#endif
