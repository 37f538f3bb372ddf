// TEMPORARY: placeholder until this layer lands; deleted then.
