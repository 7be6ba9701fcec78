/* libtarnel-client: attach a simulation to the overhead-panel station's
 * generic simulation area and read and write its fields by name.
 *
 * Every function returns a status (TARNEL_OK or a TARNEL_E_ code); the text
 * of the calling thread's last failure is tarnel_last_error(). The library
 * never exits, prints or throws, and allocates nothing after tarnel_attach.
 * A client object is used by one thread at a time. */
#ifndef TARNEL_CLIENT_H
#define TARNEL_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#if defined(TARNEL_CLIENT_BUILD)
#define TARNEL_API __attribute__((visibility("default")))
#else
#define TARNEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum tarnel_status {
  TARNEL_OK = 0,
  TARNEL_E_ARGUMENT = 1,      /* a null or malformed argument */
  TARNEL_E_ATTACH = 2,        /* the segment could not be opened, created, trusted or mapped */
  TARNEL_E_VERSION = 3,       /* the segment carries another layout version */
  TARNEL_E_NOT_FOUND = 4,     /* no field of that id or name in that layout and unit */
  TARNEL_E_AMBIGUOUS = 5,     /* the name fits more than one field: use the id */
  TARNEL_E_STATION_FIELD = 6, /* the station writes this field: a set is refused */
  TARNEL_E_RANGE = 7,         /* the value does not fit the field's type */
  TARNEL_E_DETACHED = 8       /* the client is not attached */
};

enum tarnel_type { TARNEL_U8, TARNEL_I16, TARNEL_U16, TARNEL_I32, TARNEL_U32, TARNEL_F32 };
enum tarnel_writer { TARNEL_SIMULATION = 0, TARNEL_STATION = 1 };

typedef struct tarnel_client tarnel_client;
/* A field of the interface: a handle into the library's own table, valid for
 * the life of the process. */
typedef const struct tarnel_field_entry* tarnel_field;

typedef struct tarnel_field_info {
  const char* id;       /* "fuel.button3.position" */
  const char* legend;   /* the control's legend as printed ("L TK PUMP 1"); "" none */
  const char* role;     /* "position", "upper lamp FAULT" */
  const char* area;     /* panel key, or "station" */
  int32_t area_id;      /* the panel's id; 0 for the area's own fields */
  const char* layout;   /* "A330", "A320", or "" where the layout does not matter */
  int32_t unit;         /* unit or seat; -1 where the blocks depend on none */
  uint32_t offset;      /* bytes from the start of the area */
  uint32_t width;       /* 1, 2 or 4 */
  int type;             /* enum tarnel_type */
  int writer;           /* enum tarnel_writer */
  int station_uses;     /* 1: the running station reads or writes it (its layout and unit) */
} tarnel_field_info;

typedef struct tarnel_change {
  tarnel_field field;
  double old_value;
  double new_value;
} tarnel_change;

typedef struct tarnel_station {
  int alive;            /* a station holds the segment (its single-writer lock) */
  int running;          /* its iteration count advanced while looked at */
  uint32_t iterations;  /* the iteration count last read */
} tarnel_station;

/* The text of the calling thread's last failure ("" after none). */
TARNEL_API const char* tarnel_last_error(void);
/* A fixed text for a status. */
TARNEL_API const char* tarnel_status_text(int status);

/* Attaches to the area "/" + prefix + "GenericSimSharedMemory" (prefix null:
 * $TARNEL_SHM_PREFIX), creating it when there is none, checks its version,
 * counts this program as a user and holds the shared lock, as the station
 * does: a station that restarts meanwhile finds a counted user and keeps the
 * segment. */
TARNEL_API int tarnel_attach(const char* prefix, tarnel_client** out);
/* Uncounts the user and releases the lock; the last user removes the name.
 * Null is ignored. */
TARNEL_API void tarnel_detach(tarnel_client* client);
/* Whether a station holds the segment, and whether its loop runs (its
 * iteration count advances within wait_ms milliseconds, at most 2000). */
TARNEL_API int tarnel_station_status(tarnel_client* client, uint32_t wait_ms, tarnel_station* out);

/* Finds a field by id ("fuel.button3.position") or by legend and role as
 * describe prints them ("L TK PUMP 1 lower lamp OFF", or "fuel:PUMP 2 position"
 * to name the panel), case-insensitive. layout: "A330", "A320" or null for the
 * layout the station runs; unit: -1 for the unit or seat the station runs. */
TARNEL_API int tarnel_find(const char* key, const char* layout, int32_t unit, tarnel_field* out);
/* Every field of every layout and unit, in describe's order. */
TARNEL_API size_t tarnel_field_count(void);
TARNEL_API tarnel_field tarnel_field_at(size_t index); /* null past the end */
TARNEL_API int tarnel_field_describe(tarnel_field field, tarnel_field_info* out);

/* Reads the field in one access: integers exactly, floats as stored. */
TARNEL_API int tarnel_get(tarnel_client* client, tarnel_field field, double* value);
/* Writes the field in one access. Refused for fields the station writes, and
 * for values the type cannot hold (integers must be whole and in range). */
TARNEL_API int tarnel_set(tarnel_client* client, tarnel_field field, double value);

/* The station's outputs (in its layout and unit) that changed since the last
 * call (the first call: since attach), with old and new values. At most
 * capacity are returned; the rest stay pending for the next call. */
TARNEL_API int tarnel_changes(tarnel_client* client, tarnel_change* out, size_t capacity, size_t* count);

#ifdef __cplusplus
}
#endif

#endif
