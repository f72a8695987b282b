#pragma once
// Whether the weather add-on is installed, as the interface shows it. The game
// folder is looked at once, then again only when the folder changes or the
// window has come back into focus (the add-on is installed from outside while
// the program runs), not on every frame.
bool WeatherAddOnShown();
// The next question looks at the game folder again.
void RecheckWeatherAddOn();
