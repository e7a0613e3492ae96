/* The plug-in's contract as the tests hold it, written once: the five reads of its
   settings file and the six rows it may write into the host. Every test, test host,
   emulator scenario and benchmark DLL takes these facts from here; the plug-in's own
   statement of them is its code. Plain C, for the mingw-built programs too. */
#ifndef LUMAVALE_TESTS_CONTRACT_H
#define LUMAVALE_TESTS_CONTRACT_H

#include <stdint.h>

/* The size of the buffer each amount is read into. */
#define LUMAVALE_AMOUNT_BUFFER_SIZE 255u

/* The host image base the row addresses assume, and where the probe byte lies. */
#define LUMAVALE_HOST_IMAGE_BASE 0x00400000u
#define LUMAVALE_PROBE_ADDRESS 0x00406A20u

struct LumavaleRead {
  int integer;             /* 1: GetPrivateProfileIntA; 0: GetPrivateProfileStringA */
  const char* section;
  const char* key;
  const char* defaultText; /* the default as the call is given it: decimal, or the text */
  int32_t defaultNumber;   /* an integer read's default */
};

/* In the plug-in's order. */
enum { LUMAVALE_ENABLED, LUMAVALE_FRONTEND, LUMAVALE_GAMEPLAY, LUMAVALE_FOG, LUMAVALE_SKY,
       LUMAVALE_READ_COUNT };
static const struct LumavaleRead kLumavaleReads[LUMAVALE_READ_COUNT] = {
    {1, "Lumavale", "Enabled", "1", 1},
    {0, "Lumavale", "AmountInFrontend", "0.800000", 0},
    {0, "Lumavale", "AmountInGameplay", "1.250000", 0},
    {1, "Other", "Fog", "0", 0},
    {1, "Other", "RemoveSkyTextures", "0", 0},
};

struct LumavaleRow {
  int row;           /* 1-based, in the order the plug-in writes */
  uint32_t address;
  uint32_t width;    /* bytes */
  int condition;     /* the switch read that decides the row, or -1: always written */
  int amount;        /* the amount read whose float bits are stored, or -1: `constant` */
  uint32_t constant; /* stored little-endian */
};

enum { LUMAVALE_ROW_COUNT = 6 };
static const struct LumavaleRow kLumavaleRows[LUMAVALE_ROW_COUNT] = {
    {1, 0x00726B0A, 4, LUMAVALE_ENABLED, -1, 0x009E9920},
    {2, 0x00726CEA, 4, -1, LUMAVALE_FRONTEND, 0},
    {3, 0x00A63FC0, 4, -1, LUMAVALE_GAMEPLAY, 0},
    {4, 0x00B74D64, 1, LUMAVALE_FOG, -1, 0x01},
    {5, 0x009EB588, 1, LUMAVALE_SKY, -1, 0x00},
    {6, 0x009EB9E8, 1, LUMAVALE_SKY, -1, 0x00},
};

#endif
