// The configuration manager's stand-in, for platforms without a device's own (a desktop, the
// host): it reads a provisioning document with the platform's XML parser and applies the one
// service provider it serves, Registry, through the registry service. docs/provisioning.md
// gives the document's rules and every result.
//
// A document is applied whole or not at all. Everything the document says is read and checked
// before the registry is touched; what the registry then refuses undoes every change made
// before it, in reverse order, so a fault leaves the registry as it was.
#pragma once
#include <cstdint>
#include <string>

namespace orvinta::platform {

// Processes the zero-terminated document. Returns S_OK or the HRESULT of the first fault; when
// `output` is not null it receives the answers to the document's queries as a provisioning
// document (empty when the document asked nothing or failed).
uint32_t ProcessConfigXmlStandIn(const char16_t* document, uint32_t flags, std::u16string* output);

}  // namespace orvinta::platform
