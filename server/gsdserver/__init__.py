"""The reference download server for the Gravelpit Secure Download client."""
