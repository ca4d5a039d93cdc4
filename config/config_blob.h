#pragma once
// The configuration blob: one record per variable, in config-list order, nothing else.
//
//   offset 0   16 bytes   the variable's GUID in its in-memory (Windows) layout
//   offset 16   4 bytes   payload byte count, unsigned little-endian
//   offset 20   n bytes   what the variable's write_value produced
//
// The byte count lets a reader step over records it does not know, so a blob stays readable
// after variables are added, removed or widened.
#include "config/configuration.h"
#include "config/streams.h"

namespace pyrelle {

// Writes one record per variable from `first` to the end of its list. std::bad_alloc when a value
// cannot be buffered; stream failures pass through.
void write_configuration(config_var* first, stream_writer& out, abort_signal& abort);
void write_configuration(configuration& config, stream_writer& out, abort_signal& abort);

// Applies the records of `in` to the variables of the list starting at `first`, record by record:
// - fewer than 16 bytes where a record would begin ends the blob quietly;
// - a known GUID gives the variable the payload's first bytes; a payload too short for the value
//   leaves the variable as it was; extra payload bytes are skipped; the last of repeated records
//   wins;
// - an unknown GUID skips the record whole.
// Throws exception_io_data_truncation when the blob ends inside a size field, inside an unknown
// record's payload or before a known record's payload is complete, and exception_io_data when
// `in` answers a read with more bytes than were asked for, in whatever record; the records before
// it stay applied and nothing after it is. Other exceptions of `in` pass through unchanged.
void read_configuration(config_var* first, stream_reader& in, abort_signal& abort);
void read_configuration(configuration& config, stream_reader& in, abort_signal& abort);

}  // namespace pyrelle
