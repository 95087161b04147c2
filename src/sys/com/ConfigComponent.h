#pragma once

// The suite's configuration component (COM class Config, interface IConfig). COM must already
// be initialised on the calling thread.
namespace ConfigComponent {

// The office number, from a component created for this one read. A component that cannot be
// created or a failing call raises the platform's error.
int OfficeId();

} // namespace ConfigComponent
