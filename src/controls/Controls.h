#pragma once

// Makes the visual controls available to dialog templates under the names they use:
// "IconButton", "ShadedButton", "LinkButton" (a shaded button with a hand cursor), "Label", "LinkLabel".
void RegisterControlClasses();
