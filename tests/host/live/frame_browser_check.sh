#!/usr/bin/env bash
# Placeholder until the browser check lands.
exit 77
